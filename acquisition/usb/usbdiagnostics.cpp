#include "acquisition/usb/usbdiagnostics.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unistd.h>

namespace {

enum class ErrorKind { None, Text, Errno };

int g_level = -1;
ErrorKind g_kind = ErrorKind::None;
char g_text[1024];
int g_errno = 0;

void printLine(const char *format, va_list args)
{
    char message[2048];
    vsnprintf(message, sizeof message, format, args);
    size_t length = strlen(message);
    while (length > 0 && message[length - 1] == '\n')
        message[--length] = '\0';

    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    char date[32];
    strftime(date, sizeof date, "%d//%m//%Y", &local);

    char line[2200];
    const int size = snprintf(line, sizeof line, "%s:%d>  %s\n", date,
                              static_cast<int>(now.tv_nsec / 1000000), message);
    if (size <= 0)
        return;
    // One write per line, so lines of different threads never mix.
    const size_t count = size < int(sizeof line) ? size_t(size) : sizeof line - 1;
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line, count);
}

} // namespace

int UsbDiagnostics::level()
{
    return g_level;
}

void UsbDiagnostics::setLevel(int level)
{
    g_level = level;
}

void UsbDiagnostics::print(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    printLine(format, args);
    va_end(args);
}

void UsbDiagnostics::trace(int minLevel, const char *format, ...)
{
    if (g_level < minLevel)
        return;
    va_list args;
    va_start(args, format);
    printLine(format, args);
    va_end(args);
}

int UsbDiagnostics::failText(int code, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vsnprintf(g_text, sizeof g_text, format, args);
    va_end(args);
    g_kind = ErrorKind::Text;
    if (g_level > 1)
        print("USB error: %s\n", g_text);
    return code;
}

int UsbDiagnostics::failErrno(int code)
{
    g_errno = code < 0 ? -code : code;
    g_kind = ErrorKind::Errno;
    return code;
}

const char *UsbDiagnostics::errorText()
{
    switch (g_kind) {
    case ErrorKind::None:
        return "No error";
    case ErrorKind::Text:
        return g_text;
    case ErrorKind::Errno:
        if (g_errno > 0)
            return strerror(g_errno);
        break;
    }
    return "Unknown error";
}
