#include "acquisition/pldevice.h"

#include "base/functions.h"

#include <QStringList>

StatusBlock PlDevice::requestStatusAndJobs(QList<Job> &jobs, int *retCode)
{
    const StatusBlock status = requestStatus_withRepeat(retCode);
    jobs = getJobList(retCode);
    return status;
}

PlDevice::~PlDevice() = default;

bool PlDevice::checkDescription(const QString &desc, const QString &manufacturer,
                                const QString &model)
{
    debugPrintf("PlDevice::checkDescription(): desc=<%s>", qPrintable(desc));
    QString manufacturerPart;
    QString modelPart;
    const QStringList pieces = desc.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString &piece : pieces) {
        const QString key = piece.section(QLatin1Char(':'), 0, 0);
        const QString value = piece.section(QLatin1Char(':'), 1);
        if (key == QLatin1String("MFG"))
            manufacturerPart = value;
        else if (key == QLatin1String("MDL") || key == QLatin1String("MODEL"))
            modelPart = value;
    }
    QString fullModel = manufacturerPart + QLatin1Char(' ') + modelPart;
    if (!fullModel.endsWith(QLatin1String(" Series")))
        fullModel += QLatin1String(" Series");
    manufacturerPart = manufacturerPart.toLower();
    fullModel = fullModel.toLower();
    return manufacturer.toLower().startsWith(manufacturerPart)
            && fullModel.contains(model.toLower());
}
