#include "cups/cupsjob.h"

namespace {
// IPP job-state values.
const int kIppHeld = 4;
const int kIppProcessing = 5;
const int kIppCanceled = 7;
const int kIppCompleted = 9;
} // namespace

qint32 CupsJob::stateFromIpp(int ippState)
{
    switch (ippState) {
    case kIppHeld:
        return Saved;
    case kIppProcessing:
        return Processing;
    case kIppCanceled:
        return Canceled;
    case kIppCompleted:
        return Completed;
    default:
        return Unknown;
    }
}
