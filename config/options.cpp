#include "config/options.h"

#include "base/functions.h"

#include <QDataStream>

namespace {

const char *boolText(bool value)
{
    return value ? "true" : "false";
}

// Takes the value only when the stream could deliver all of its bytes.
template<typename T>
void readField(QDataStream &stream, T &field)
{
    T value{};
    stream >> value;
    if (stream.status() == QDataStream::Ok)
        field = value;
}

} // namespace

QString Options::toString() const
{
    return QString::asprintf(
            "\n\tSchedule time: %d\n\tDisplay Printer Error: %s\n\tDisplay Printer "
            "Waiting: %s\n\tDisplay Finish N/W Job: %s\n\tDisplay Printing "
            "status: %s",
            scheduleTime, boolText(displayPrinterError), boolText(displayPrinterWaiting),
            boolText(displayFinishNwJob), boolText(displayPrintingStatus));
}

QDataStream &operator<<(QDataStream &stream, const Options &options)
{
    debugPrintf("<< options:%s", qPrintable(options.toString()));
    stream << options.displayPrinterError << options.scheduleTime << options.displayFinishNwJob
           << options.displayPrinterWaiting << options.displayPrintingStatus;
    return stream;
}

QDataStream &operator>>(QDataStream &stream, Options &options)
{
    qint32 storedScheduleTime = 0;
    readField(stream, options.displayPrinterError);
    readField(stream, storedScheduleTime);
    readField(stream, options.displayFinishNwJob);
    readField(stream, options.displayPrinterWaiting);
    readField(stream, options.displayPrintingStatus);
    // Checking always starts at one second: the stored schedule time is consumed and dropped.
    options.scheduleTime = 1;
    debugPrintf(">> options:%s", qPrintable(options.toString()));
    return stream;
}
