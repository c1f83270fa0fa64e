#include "acquisition/pldevicenw.h"

#include "base/functions.h"
#include "net/socketdeviceex.h"

#include <algorithm>

// The job tables and the address forms: no request, so they can be exercised alone.

namespace {

constexpr int kUserLength = 15;
constexpr int kIdLength = 10;
constexpr int kStatusLength = 4;
constexpr int kUser6Length = 39;
constexpr int kHexStringMaxLength = 32;

int statusField(const QByteArray &field)
{
    bool ok = false;
    const int status = field.trimmed().toInt(&ok);
    return ok ? status : 0;
}

} // namespace

QList<Job> PlDeviceNw::parseJobs(const QByteArray &table)
{
    QList<Job> jobs;
    for (qsizetype at = 0; table.size() - at >= kJobRecordLength; at += kJobRecordLength) {
        const QByteArray record = table.mid(at, kJobRecordLength);
        Job job;
        job.user = QString::fromLatin1(record.left(kUserLength));
        while (job.user.endsWith(QLatin1Char('.')))
            job.user.chop(1);
        job.id = QString::fromLatin1(record.mid(kUserLength, kIdLength));
        job.status = statusField(record.mid(kUserLength + kIdLength, kStatusLength));
        jobs.append(job);
    }
    return jobs;
}

QList<Job> PlDeviceNw::parseJobs6(const QByteArray &table)
{
    QList<Job> jobs;
    for (qsizetype at = 0; table.size() - at >= kJob6RecordLength; at += kJob6RecordLength) {
        const QByteArray record = table.mid(at, kJob6RecordLength);
        Job job;
        job.user = QString::fromLatin1(record.left(kUser6Length)).trimmed();
        debugPrintf("normalizeIPv6 < userID=<%s>", qPrintable(job.user));
        job.user = normalizeIPv6(job.user);
        debugPrintf("normalizeIPv6 > userID=<%s>", qPrintable(job.user));
        job.id = QString::fromLatin1(record.mid(kUser6Length, kIdLength));
        job.status = statusField(record.mid(kUser6Length + kIdLength, kStatusLength));
        jobs.append(job);
    }
    return jobs;
}

QString PlDeviceNw::toHexString(const unsigned char *bytes, int length)
{
    if (length * 2 > kHexStringMaxLength) {
        qWarning("ASSERT: \"size * 2 <= HEXSTRING_MAX_LENGTH\" in PlDeviceNw::toHexString");
        length = kHexStringMaxLength / 2;
    }
    return QString::fromLatin1(
            QByteArray(reinterpret_cast<const char *>(bytes), std::max(length, 0))
                    .toHex()
                    .toUpper());
}

QString PlDeviceNw::normalizeIPv6(const QString &text)
{
    sockaddr_in6 address{};
    if (!toIPv6Address(text, kIPv6Pattern, address))
        return text;
    return toHexString(address.sin6_addr.s6_addr, int(sizeof address.sin6_addr.s6_addr));
}
