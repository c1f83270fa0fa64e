#pragma once

// Error state and diagnostic output of the USB access layer. Both are process-wide and unlocked:
// the product uses the layer only through a UsbSession, which holds the layer's lock.
class UsbDiagnostics
{
public:
    // -1 by default: silent. Root messages appear from 0, error details above 0, traces above 1.
    static int level();
    static void setLevel(int level);

    // One line on standard error, "dd//mm//YYYY:ms>  message"; a trailing newline of the message
    // is folded into the line's own.
    static void print(const char *format, ...) __attribute__((format(printf, 1, 2)));
    // print() when the debug level is at least minLevel.
    static void trace(int minLevel, const char *format, ...) __attribute__((format(printf, 2, 3)));

    // Stores a failure text (cut at 1023 characters), shows it as "USB error: ..." above level 1,
    // and returns code.
    static int failText(int code, const char *format, ...) __attribute__((format(printf, 2, 3)));
    // Stores a failure known only by its errno code and returns code (negative).
    static int failErrno(int code);

    // "No error", the stored text, the text of the stored errno code, or "Unknown error".
    static const char *errorText();
};
