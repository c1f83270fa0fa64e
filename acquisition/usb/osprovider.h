#pragma once

class OS;

// Holds the operating-system back end that the USB access layer uses.
class OSProvider
{
public:
    static OS &os();
};
