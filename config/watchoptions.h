#pragma once

#include <QString>

// Whether the followed printer is still polled while the panel is closed. Kept in a file of its
// own: the options record has a fixed 8-byte layout that older versions read.
class WatchOptions
{
public:
    // A closed panel never polls more often than this, whatever interval the user chose.
    static constexpr int kHiddenMinInterval = 5;

    bool keepWatching = true;

    // The polling interval for the chosen one while the panel is open or closed.
    static int pollingInterval(int chosenSeconds, bool panelHidden);

    // The file is named in the log as given and read or written at the path. A missing or
    // malformed file gives the default, with a log line.
    void load(const QString &name, const QString &path);
    bool save(const QString &name, const QString &path) const;
};
