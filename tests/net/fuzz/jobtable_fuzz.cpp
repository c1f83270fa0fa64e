// Feeds arbitrary bytes to the network channel's job-table parser as a printer's IPv4 and IPv6
// job tables (records of 29 and 53 characters; the IPv6 sender normalised). Not part of the
// build; from the source root:
//
//   clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -I. \
//       $(pkg-config --cflags Qt6Core Qt6Network) tests/net/fuzz/jobtable_fuzz.cpp \
//       acquisition/pldevicenwjobs.cpp net/socketdevice*.cpp base/functions.cpp \
//       $(pkg-config --libs Qt6Core Qt6Network) -o jobtable_fuzz
//   ./jobtable_fuzz -max_len=1024 -max_total_time=600
//
// A table is at most the channel's 1024-byte buffer, cut at its first zero byte.

#include "acquisition/pldevicenw.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size > std::size_t(PlDeviceNw::kBufferSize))
        return 0;
    const char *bytes = reinterpret_cast<const char *>(data);
    const QByteArray table(bytes, qsizetype(strnlen(bytes, size)));
    const QList<Job> jobs = PlDeviceNw::parseJobs(table);
    const QList<Job> jobs6 = PlDeviceNw::parseJobs6(table);
    if (jobs.size() != table.size() / PlDeviceNw::kJobRecordLength
        || jobs6.size() != table.size() / PlDeviceNw::kJob6RecordLength)
        __builtin_trap();
    for (const Job &job : jobs6) {
        // A normalised sender is 32 hexadecimal digits; any other stays as the record had it.
        if (job.user.size() > 39 || job.id.size() != 10)
            __builtin_trap();
    }
    return 0;
}
