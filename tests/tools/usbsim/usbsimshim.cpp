// The kernel side of the simulated USB printer: system-call wrappers that stand in for usbfs and
// the printer-class driver, so that the product's code runs unchanged on a tree of regular files
// (see usbsimstate.h for the tree, usbsim.h for the fixture that builds it).
//
// Linked into a test binary (with -rdynamic) its definitions of open, ioctl and friends come
// before libc's for the whole process; or it is preloaded into a child process. Only requests
// that concern simulated devices or redirected paths are answered here; everything else goes
// straight to the kernel. The shim uses raw system calls for its own work, so that it never
// re-enters itself.
#undef _FILE_OFFSET_BITS
#undef _FORTIFY_SOURCE
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif

#include "usbsimstate.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/usbdevice_fs.h>
#include <pthread.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

namespace {

constexpr size_t kPathSize = 4096;
constexpr int kEndpointIn = 0x80;
constexpr unsigned kGetDescriptor = 0x06;
constexpr unsigned kStandardIn = 0x80;
constexpr unsigned kVendorInterfaceIn = 0xC1;
constexpr unsigned kStatusRequest = 0x02;
constexpr unsigned kJobsRequest = 0x05;
constexpr unsigned kDocumentRequest = 0x0D;
constexpr int kDeviceDescriptorSize = 18;
constexpr int kMaxUrbs = 64;

// Paths of the real machine that tests must not see; they are looked up under the simulation
// directory instead ("/dev/usb/lp0" becomes DIR "/dev/usb/lp0").
const char *const kRedirected[]
        = {"/proc/bus/usb", "/dev/usb", "/dev/bus/usb", "/sys/bus/usb", "/sys/class/usb_device"};

char g_dir[kPathSize];
std::atomic<bool> g_active{false};
bool g_plain = false;
std::atomic<long> g_ownSyscalls{0};
// Guards the URB table and the read-modify-write of fault files.
pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;

class Lock
{
public:
    Lock() { pthread_mutex_lock(&g_lock); }
    ~Lock() { pthread_mutex_unlock(&g_lock); }
    Lock(const Lock &) = delete;
    Lock &operator=(const Lock &) = delete;
};

// A system call made for the shim's own bookkeeping (counted, so that benchmarks can tell the
// product's calls from ours).
template<class... Args>
long own(long number, Args... args)
{
    g_ownSyscalls.fetch_add(1, std::memory_order_relaxed);
    return syscall(number, args...);
}

// A plain printer's own CPU time in this process, in nanoseconds, kept in a file of the
// simulation directory that a benchmark reads: what Pellar spends is the rest.
std::atomic<long long> *g_cpuNs = nullptr;

long long threadCpuNs()
{
    timespec now{};
    own(SYS_clock_gettime, CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

class CpuTime
{
public:
    CpuTime()
        : m_start(g_cpuNs ? threadCpuNs() : 0)
    { }
    ~CpuTime()
    {
        if (g_cpuNs)
            g_cpuNs->fetch_add(threadCpuNs() - m_start, std::memory_order_relaxed);
    }
    CpuTime(const CpuTime &) = delete;
    CpuTime &operator=(const CpuTime &) = delete;

private:
    long long m_start;
};

long long nowNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

void sleepMs(long ms)
{
    timespec delay{ms / 1000, (ms % 1000) * 1000000};
    own(SYS_nanosleep, &delay, nullptr);
}

bool allDigits(const char *text)
{
    if (!*text)
        return false;
    for (; *text; ++text) {
        if (*text < '0' || *text > '9')
            return false;
    }
    return true;
}

const char *baseName(const char *path)
{
    const char *slash = strrchr(path, '/');
    return slash ? slash + 1 : path;
}

const char *redirect(const char *path, char *buffer, size_t size)
{
    if (!path || path[0] != '/' || !g_active.load(std::memory_order_acquire))
        return path;
    for (const char *prefix : kRedirected) {
        if (strncmp(path, prefix, strlen(prefix)) == 0) {
            const int written = snprintf(buffer, size, "%s%s", g_dir, path);
            return written > 0 && size_t(written) < size ? buffer : path;
        }
    }
    return path;
}

enum class Kind { None, Device, Lp };

// A simulated device as seen through one of its files.
struct Target
{
    Kind kind = Kind::None;
    char state[kPathSize]; // ROOT/BBB/DDD.sim
};

bool hasState(const char *state)
{
    char mode[kPathSize + 16];
    snprintf(mode, sizeof mode, "%s/%s", state, USBSIM_MODE_FILE);
    return own(SYS_faccessat, AT_FDCWD, mode, F_OK) == 0;
}

bool classifyPath(const char *path, Target &target)
{
    char real[kPathSize];
    snprintf(real, sizeof real, "%s", path);
    // An unplugged device's file is gone while the product still holds it open.
    const char deleted[] = " (deleted)";
    const size_t length = strlen(real);
    if (length > strlen(deleted) && strcmp(real + length - strlen(deleted), deleted) == 0)
        real[length - strlen(deleted)] = '\0';

    const char *base = baseName(real);
    if (allDigits(base)) {
        if (snprintf(target.state, sizeof target.state, "%s%s", real, USBSIM_STATE_SUFFIX)
            >= int(sizeof target.state))
            return false;
        target.kind = Kind::Device;
    } else if (strcmp(base, USBSIM_LP_FILE) == 0) {
        const size_t dirLength = size_t(base - real) - 1;
        const size_t suffix = strlen(USBSIM_STATE_SUFFIX);
        if (base == real || dirLength < suffix
            || strncmp(real + dirLength - suffix, USBSIM_STATE_SUFFIX, suffix) != 0)
            return false;
        snprintf(target.state, sizeof target.state, "%.*s", int(dirLength), real);
        target.kind = Kind::Lp;
    } else {
        return false;
    }
    return hasState(target.state);
}

// What each descriptor of a simulated file was found to be: asking /proc for its path on every
// request cost more than all else the simulated printer does. A descriptor closed and opened again
// since names another file, which its device and inode numbers tell.
struct KnownFd
{
    dev_t device = 0;
    ino_t inode = 0;
    struct timespec changed = {};
    Target target;
    bool known = false;
};
constexpr int kKnownFds = 256;
KnownFd g_knownFds[kKnownFds];
pthread_mutex_t g_knownLock = PTHREAD_MUTEX_INITIALIZER;

bool classifyFd(int fd, Target &target)
{
    struct stat info
    {
    };
    const bool cacheable = fd >= 0 && fd < kKnownFds && own(SYS_fstat, fd, &info) == 0;
    if (cacheable) {
        pthread_mutex_lock(&g_knownLock);
        const KnownFd &entry = g_knownFds[fd];
        // An inode number is reused for a file made after another one went.
        const bool same = entry.known && entry.device == info.st_dev && entry.inode == info.st_ino
                && entry.changed.tv_sec == info.st_ctim.tv_sec
                && entry.changed.tv_nsec == info.st_ctim.tv_nsec;
        if (same)
            target = entry.target;
        pthread_mutex_unlock(&g_knownLock);
        if (same && hasState(target.state))
            return true;
    }
    char link[64];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char real[kPathSize];
    const long length = own(SYS_readlinkat, AT_FDCWD, link, real, sizeof real - 1);
    if (length <= 0)
        return false;
    real[length] = '\0';
    if (!classifyPath(real, target))
        return false;
    if (cacheable) {
        pthread_mutex_lock(&g_knownLock);
        g_knownFds[fd] = {info.st_dev, info.st_ino, info.st_ctim, target, true};
        pthread_mutex_unlock(&g_knownLock);
    }
    return true;
}

// The device file behind a state directory.
void devicePath(const Target &target, char *path, size_t size)
{
    snprintf(path, size, "%.*s", int(strlen(target.state) - strlen(USBSIM_STATE_SUFFIX)),
             target.state);
}

long readFileAt(const char *path, void *bytes, size_t size, long offset)
{
    const long fd = own(SYS_openat, AT_FDCWD, path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    const long count = own(SYS_pread64, fd, bytes, size, offset);
    own(SYS_close, fd);
    return count;
}

long readState(const Target &target, const char *name, void *bytes, size_t size, long offset = 0)
{
    char path[kPathSize + 32];
    snprintf(path, sizeof path, "%s/%s", target.state, name);
    return readFileAt(path, bytes, size, offset);
}

long stateSize(const Target &target, const char *name)
{
    char path[kPathSize + 32];
    snprintf(path, sizeof path, "%s/%s", target.state, name);
    struct stat info
    {
    };
    if (own(SYS_newfstatat, AT_FDCWD, path, &info, 0) < 0)
        return -1;
    return long(info.st_size);
}

void writeState(const Target &target, const char *name, const void *bytes, size_t size, bool append)
{
    char path[kPathSize + 32];
    snprintf(path, sizeof path, "%s/%s", target.state, name);
    if (append) {
        const long fd
                = own(SYS_openat, AT_FDCWD, path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (fd >= 0) {
            own(SYS_write, fd, bytes, size);
            own(SYS_close, fd);
        }
        return;
    }
    char temporary[kPathSize + 64];
    snprintf(temporary, sizeof temporary, "%s/.%s.shim%ld", target.state, name, own(SYS_gettid));
    const long fd
            = own(SYS_openat, AT_FDCWD, temporary, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    own(SYS_write, fd, bytes, size);
    own(SYS_close, fd);
    own(SYS_renameat, AT_FDCWD, temporary, AT_FDCWD, path);
}

// One line per request: "KIND ARGS = RESULT THREAD START END".
void logRequest(const Target &target, long long start, int result, const char *format, ...)
        __attribute__((format(printf, 4, 5)));
void logRequest(const Target &target, long long start, int result, const char *format, ...)
{
    if (g_plain)
        return;
    char what[256];
    va_list args;
    va_start(args, format);
    vsnprintf(what, sizeof what, format, args);
    va_end(args);
    char line[400];
    const int length = snprintf(line, sizeof line, "%s = %d %ld %lld %lld\n", what, result,
                                own(SYS_gettid), start, nowNs());
    if (length > 0)
        writeState(target, USBSIM_REQUESTS_FILE, line, std::min<size_t>(length, sizeof line - 1),
                   true);
}

struct Mode
{
    enum Kind { Normal, Unplugged, TimeOut, Stall, Busy, Slow } kind = Normal;
    long delayMs = 0;
};

Mode readMode(const Target &target)
{
    if (g_plain)
        return {};
    char text[64] = {};
    readState(target, USBSIM_MODE_FILE, text, sizeof text - 1);
    Mode mode;
    if (strncmp(text, "unplugged", 9) == 0)
        mode.kind = Mode::Unplugged;
    else if (strncmp(text, "timeout", 7) == 0)
        mode.kind = Mode::TimeOut;
    else if (strncmp(text, "stall", 5) == 0)
        mode.kind = Mode::Stall;
    else if (strncmp(text, "busy", 4) == 0)
        mode.kind = Mode::Busy;
    else if (strncmp(text, "slow", 4) == 0) {
        mode.kind = Mode::Slow;
        mode.delayMs = std::max(0L, strtol(text + 4, nullptr, 10));
    }
    return mode;
}

bool matches(const char *pattern, const char *key)
{
    const size_t length = strlen(pattern);
    if (length > 0 && pattern[length - 1] == '*')
        return strncmp(pattern, key, length - 1) == 0;
    return strcmp(pattern, key) == 0;
}

// The errno of the first fault rule for this request, using up one of its counts; 0 for none.
int takeFault(const Target &target, const char *kind, const char *key)
{
    if (g_plain)
        return 0;
    Lock lock;
    char text[4096] = {};
    if (readState(target, USBSIM_FAULTS_FILE, text, sizeof text - 1) <= 0)
        return 0;
    char rest[4096] = {};
    size_t used = 0;
    const auto keep = [&rest, &used](const char *line) {
        const int length = snprintf(rest + used, sizeof rest - used, "%s\n", line);
        used = std::min(used + size_t(std::max(length, 0)), sizeof rest - 1);
    };
    int error = 0;
    bool changed = false;
    char *save = nullptr;
    for (char *line = strtok_r(text, "\n", &save); line; line = strtok_r(nullptr, "\n", &save)) {
        char ruleKind[32] = {};
        char pattern[64] = {};
        int ruleError = 0;
        int count = -1;
        const int fields = sscanf(line, "%31s %63s %d %d", ruleKind, pattern, &ruleError, &count);
        if (fields >= 3 && !error && strcmp(ruleKind, kind) == 0 && matches(pattern, key)
            && count != 0) {
            error = ruleError;
            if (count > 0) {
                changed = true;
                char left[128];
                snprintf(left, sizeof left, "%s %s %d %d", ruleKind, pattern, ruleError, count - 1);
                if (count > 1)
                    keep(left);
                continue;
            }
        }
        keep(line);
    }
    if (changed)
        writeState(target, USBSIM_FAULTS_FILE, rest, used, false);
    return error;
}

int replyFromFile(const Target &target, const char *name, long offset, void *out, int length)
{
    const long count = readState(target, name, out, length, offset);
    return count < 0 ? -EPIPE : int(count);
}

int documentSize(const Target &target)
{
    char text[32] = {};
    if (readState(target, USBSIM_DOCSIZE_FILE, text, sizeof text - 1) > 0)
        return int(strtoul(text, nullptr, 10));
    return int(std::max(0L, stateSize(target, USBSIM_DOCUMENT_FILE)));
}

// Standard GET_DESCRIPTOR from the device file: the device descriptor, or configuration `index`.
int descriptorReply(const Target &target, int type, int index, void *out, int length)
{
    char path[kPathSize];
    devicePath(target, path, sizeof path);
    if (type == 1) {
        const long count = readFileAt(path, out, std::min(length, kDeviceDescriptorSize), 0);
        return count < 0 ? -EPIPE : int(count);
    }
    if (type != 2)
        return -EPIPE;
    long offset = kDeviceDescriptorSize;
    for (int i = 0;; ++i) {
        unsigned char header[4];
        if (readFileAt(path, header, sizeof header, offset) < long(sizeof header))
            return -EPIPE;
        const int total = header[2] | (header[3] << 8);
        if (i == index) {
            const long count = readFileAt(path, out, std::min(length, total), offset);
            return count < 0 ? -EPIPE : int(count);
        }
        if (total < 4)
            return -EPIPE;
        offset += total;
    }
}

int controlReply(const Target &target, const usbdevfs_ctrltransfer &transfer)
{
    void *out = transfer.data;
    const int length = transfer.wLength;
    if (transfer.bRequestType == kStandardIn && transfer.bRequest == kGetDescriptor)
        return descriptorReply(target, transfer.wValue >> 8, transfer.wValue & 0xff, out, length);
    if (transfer.bRequestType != kVendorInterfaceIn)
        return -EPIPE;
    switch (transfer.bRequest) {
    case kStatusRequest:
        return replyFromFile(target, USBSIM_STATUS_FILE, 0, out, length);
    case kJobsRequest:
        return replyFromFile(target, USBSIM_JOBS_FILE, 0, out, length);
    case kDocumentRequest:
        if (transfer.wValue == 0) {
            if (stateSize(target, USBSIM_DOCUMENT_FILE) < 0
                && stateSize(target, USBSIM_DOCSIZE_FILE) < 0)
                return -EPIPE;
            const unsigned size = unsigned(documentSize(target));
            const unsigned char reply[8] = {0,
                                            0,
                                            (unsigned char)(size >> 24),
                                            (unsigned char)(size >> 16),
                                            (unsigned char)(size >> 8),
                                            (unsigned char)size,
                                            0,
                                            0};
            const int count = std::min(length, int(sizeof reply));
            memcpy(out, reply, count);
            return count;
        }
        return replyFromFile(target, USBSIM_DOCUMENT_FILE,
                             long(transfer.wValue - 1) * USBSIM_DOCUMENT_BLOCK, out, length);
    }
    return -EPIPE;
}

int control(const Target &target, const Mode &mode, usbdevfs_ctrltransfer &transfer,
            long long start)
{
    int result = 0;
    if (mode.kind == Mode::Stall) {
        result = -EPIPE;
    } else if (mode.kind == Mode::TimeOut) {
        result = -ETIMEDOUT;
    } else if (mode.kind == Mode::Slow) {
        const long timeout = transfer.timeout ? long(transfer.timeout) : mode.delayMs;
        sleepMs(std::min(mode.delayMs, timeout));
        if (mode.delayMs > timeout)
            result = -ETIMEDOUT;
    }
    if (result == 0) {
        char key[16];
        snprintf(key, sizeof key, "%02x:%04x", transfer.bRequest, transfer.wValue);
        if (const int error = takeFault(target, "control", key))
            result = -error;
    }
    if (result == 0)
        result = controlReply(target, transfer);
    logRequest(target, start, result, "control %02x %02x %04x %04x %u", transfer.bRequestType,
               transfer.bRequest, transfer.wValue, transfer.wIndex, transfer.wLength);
    return result;
}

struct PendingUrb
{
    int fd = -1;
    usbdevfs_urb *urb = nullptr;
    bool never = false; // a device that does not answer: only a discard completes it
    long long readyNs = 0;
    int status = 0;
    int actual = 0;
};

PendingUrb g_urbs[kMaxUrbs];

const char *urbType(const usbdevfs_urb &urb)
{
    return urb.type == USBDEVFS_URB_TYPE_BULK ? "bulk" : "interrupt";
}

int submitUrb(int fd, const Target &target, const Mode &mode, usbdevfs_urb &urb, long long start)
{
    if ((urb.type != USBDEVFS_URB_TYPE_BULK && urb.type != USBDEVFS_URB_TYPE_INTERRUPT)
        || urb.buffer_length < 0)
        return -EINVAL;
    char key[8];
    snprintf(key, sizeof key, "%02x", urb.endpoint);
    if (const int error = takeFault(target, "submiturb", key)) {
        logRequest(target, start, -error, "submiturb %02x %d %s", urb.endpoint, urb.buffer_length,
                   urbType(urb));
        return -error;
    }
    PendingUrb pending;
    pending.fd = fd;
    pending.urb = &urb;
    char name[8];
    snprintf(name, sizeof name, "ep%02x", urb.endpoint);
    if (mode.kind == Mode::TimeOut) {
        pending.never = true;
    } else if (mode.kind == Mode::Stall) {
        pending.status = -EPIPE;
    } else if (urb.endpoint & kEndpointIn) {
        const long size = std::max(0L, stateSize(target, name));
        char *data = static_cast<char *>(malloc(size_t(size) + 1));
        const long available = data ? std::max(0L, readState(target, name, data, size)) : 0;
        const long count = std::min(available, long(urb.buffer_length));
        if (count > 0) {
            memcpy(urb.buffer, data, count);
            writeState(target, name, data + count, available - count, false);
        }
        free(data);
        pending.actual = int(count);
    } else {
        writeState(target, name, urb.buffer, urb.buffer_length, true);
        pending.actual = urb.buffer_length;
    }
    if (mode.kind == Mode::Slow)
        pending.readyNs = nowNs() + mode.delayMs * 1000000LL;

    Lock lock;
    PendingUrb *slot = std::find_if(std::begin(g_urbs), std::end(g_urbs),
                                    [](const PendingUrb &u) { return u.urb == nullptr; });
    if (slot == std::end(g_urbs))
        return -ENOMEM;
    *slot = pending;
    logRequest(target, start, 0, "submiturb %02x %d %s", urb.endpoint, urb.buffer_length,
               urbType(urb));
    return 0;
}

int reapUrb(int fd, void **context, bool blocking)
{
    long long wait = 0;
    {
        Lock lock;
        for (PendingUrb &u : g_urbs) {
            if (u.fd != fd || !u.urb || u.never)
                continue;
            const long long now = nowNs();
            if (u.readyNs > now) {
                wait = u.readyNs - now;
                continue;
            }
            u.urb->status = u.status;
            u.urb->actual_length = u.actual;
            *context = u.urb;
            u = PendingUrb();
            return 0;
        }
    }
    // A blocking reap waits for a slow URB; one that never completes must not hang the test.
    if (blocking && wait > 0) {
        sleepMs(long(wait / 1000000 + 1));
        return reapUrb(fd, context, false);
    }
    return -EAGAIN;
}

int discardUrb(int fd, const Target &target, usbdevfs_urb *urb, long long start)
{
    int result = -EINVAL;
    {
        Lock lock;
        for (PendingUrb &u : g_urbs) {
            if (u.fd == fd && u.urb == urb) {
                u.never = false;
                u.readyNs = 0;
                u.status = -ENOENT;
                result = 0;
            }
        }
    }
    // A failing discard still ends the URB, as when it completes in the same instant: the table
    // never keeps a URB that nobody will reap.
    char key[8];
    snprintf(key, sizeof key, "%02x", urb ? urb->endpoint : 0);
    if (const int error = takeFault(target, "discardurb", key))
        result = -error;
    logRequest(target, start, result, "discardurb %s", key);
    return result;
}

// Requests that only succeed or fail: their failures come from the fault rules.
int simpleRequest(const Target &target, long long start, const char *kind, const char *key)
{
    const int error = takeFault(target, kind, key);
    logRequest(target, start, -error, "%s %s", kind, key);
    return -error;
}

int driverRequest(const Target &target, long long start, usbdevfs_ioctl &command)
{
    const unsigned code = unsigned(command.ioctl_code);
    if (code == unsigned(USBDEVFS_HUB_PORTINFO)) {
        auto *info = static_cast<usbdevfs_hub_portinfo *>(command.data);
        char ports[sizeof info->port] = {};
        const long count = readState(target, USBSIM_PORTS_FILE, ports, sizeof ports);
        int result = count < 0 ? -ENOSYS : -takeFault(target, "portinfo", "*");
        if (result == 0) {
            info->nports = char(count);
            memcpy(info->port, ports, sizeof ports);
        }
        logRequest(target, start, result, "portinfo %d", command.ifno);
        return result;
    }
    if (code == unsigned(USBDEVFS_DISCONNECT)) {
        char key[16];
        snprintf(key, sizeof key, "%d", command.ifno);
        int result = -takeFault(target, "disconnect", key);
        if (result == 0 && stateSize(target, USBSIM_DRIVER_FILE) < 0)
            result = -ENODATA;
        if (result == 0) {
            char path[kPathSize + 32];
            snprintf(path, sizeof path, "%s/%s", target.state, USBSIM_DRIVER_FILE);
            own(SYS_unlinkat, AT_FDCWD, path, 0);
        }
        logRequest(target, start, result, "disconnect %s", key);
        return result;
    }
    return -ENOTTY;
}

int usbfsRequest(int fd, const Target &target, unsigned code, void *arg)
{
    const long long start = nowNs();
    if ((own(SYS_fcntl, fd, F_GETFL) & O_ACCMODE) == O_RDONLY)
        return -EPERM;
    const Mode mode = readMode(target);
    if (mode.kind == Mode::Unplugged)
        return -ENODEV;
    char key[32];
    const auto number = [&key, arg]() {
        snprintf(key, sizeof key, "%u", *static_cast<unsigned *>(arg));
        return key;
    };

    if (code == unsigned(USBDEVFS_CONNECTINFO)) {
        char path[kPathSize];
        devicePath(target, path, sizeof path);
        auto *info = static_cast<usbdevfs_connectinfo *>(arg);
        const unsigned devnum = unsigned(strtoul(baseName(path), nullptr, 10));
        const int result = -takeFault(target, "connectinfo", "*");
        if (result == 0) {
            info->devnum = devnum;
            info->slow = 0;
        }
        logRequest(target, start, result, "connectinfo %u", devnum);
        return result;
    }
    if (code == unsigned(USBDEVFS_CONTROL))
        return control(target, mode, *static_cast<usbdevfs_ctrltransfer *>(arg), start);
    if (code == unsigned(USBDEVFS_SUBMITURB))
        return submitUrb(fd, target, mode, *static_cast<usbdevfs_urb *>(arg), start);
    if (code == unsigned(USBDEVFS_REAPURBNDELAY))
        return reapUrb(fd, static_cast<void **>(arg), false);
    if (code == unsigned(USBDEVFS_REAPURB))
        return reapUrb(fd, static_cast<void **>(arg), true);
    if (code == unsigned(USBDEVFS_DISCARDURB))
        return discardUrb(fd, target, static_cast<usbdevfs_urb *>(arg), start);
    if (code == unsigned(USBDEVFS_SETCONFIGURATION))
        return simpleRequest(target, start, "setconfig", number());
    if (code == unsigned(USBDEVFS_CLAIMINTERFACE))
        return simpleRequest(target, start, "claim", number());
    if (code == unsigned(USBDEVFS_RELEASEINTERFACE))
        return simpleRequest(target, start, "release", number());
    if (code == unsigned(USBDEVFS_RESETEP))
        return simpleRequest(target, start, "resetep", number());
    if (code == unsigned(USBDEVFS_CLEAR_HALT))
        return simpleRequest(target, start, "clearhalt", number());
    if (code == unsigned(USBDEVFS_RESET))
        return simpleRequest(target, start, "reset", "*");
    if (code == unsigned(USBDEVFS_SETINTERFACE)) {
        const auto *setting = static_cast<usbdevfs_setinterface *>(arg);
        snprintf(key, sizeof key, "%u/%u", setting->interface, setting->altsetting);
        return simpleRequest(target, start, "setintf", key);
    }
    if (code == unsigned(USBDEVFS_GETDRIVER)) {
        auto *driver = static_cast<usbdevfs_getdriver *>(arg);
        snprintf(key, sizeof key, "%u", driver->interface);
        int result = -takeFault(target, "getdriver", key);
        if (result == 0) {
            memset(driver->driver, 0, sizeof driver->driver);
            if (readState(target, USBSIM_DRIVER_FILE, driver->driver, sizeof driver->driver - 1)
                <= 0)
                result = -ENODATA;
        }
        logRequest(target, start, result, "getdriver %s", key);
        return result;
    }
    if (code == unsigned(USBDEVFS_IOCTL))
        return driverRequest(target, start, *static_cast<usbdevfs_ioctl *>(arg));
    return -ENOTTY;
}

// LPIOC_GET_DEVICE_ID(len): the id with its big-endian length (counting itself) in front.
int printerRequest(const Target &target, unsigned code, void *arg)
{
    if (target.kind != Kind::Lp || _IOC_NR(code) != 1 || _IOC_DIR(code) != _IOC_READ)
        return -ENOTTY;
    const long long start = nowNs();
    const int length = int(_IOC_SIZE(code));
    int result = 0;
    if (readMode(target).kind == Mode::Unplugged)
        result = -ENODEV;
    else if (const int error = takeFault(target, "deviceid", "*"))
        result = -error;
    if (result == 0 && length >= 2) {
        char text[4096] = {};
        const long count
                = std::max(0L, readState(target, USBSIM_DEVICEID_FILE, text, sizeof text - 2));
        auto *out = static_cast<unsigned char *>(arg);
        memset(out, 0, length);
        const long total = count + 2;
        out[0] = (unsigned char)(total >> 8);
        out[1] = (unsigned char)total;
        memcpy(out + 2, text, std::min<long>(count, length - 2));
    }
    logRequest(target, start, result, "deviceid %d", length);
    return result;
}

bool mayBeSimulated(const char *path, bool redirected)
{
    const char *base = baseName(path);
    return redirected || allDigits(base) || strcmp(base, USBSIM_LP_FILE) == 0;
}

int openChecked(int dirfd, const char *path, int flags, mode_t mode)
{
    char buffer[kPathSize];
    const char *target = redirect(path, buffer, sizeof buffer);
    const int fd = int(syscall(SYS_openat, dirfd, target, flags, mode));
    if (fd < 0 || !mayBeSimulated(target, target != path))
        return fd;
    const CpuTime spent;
    Target device;
    if (!classifyFd(fd, device))
        return fd;
    const long long start = nowNs();
    const Mode state = readMode(device);
    const bool writable = (flags & O_ACCMODE) != O_RDONLY;
    const char *kind = device.kind == Kind::Lp ? "openlp" : "open";
    int error = 0;
    if (state.kind == Mode::Unplugged)
        error = ENODEV;
    else if (device.kind == Kind::Lp && state.kind == Mode::Busy)
        error = EBUSY;
    else
        error = takeFault(device, kind, writable ? "rw" : "ro");
    logRequest(device, start, -error, "%s %s", kind, writable ? "rw" : "ro");
    if (error) {
        syscall(SYS_close, fd);
        errno = error;
        return -1;
    }
    return fd;
}

bool needsMode(int flags)
{
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE;
}

template<class Function>
Function next(const char *name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

using FopenFunction = FILE *(*)(const char *, const char *);
using OpendirFunction = DIR *(*)(const char *);

// Resolved while the library loads, before any thread runs: resolved on first use, a thread
// would hold the guard of a static across dlsym, and a library that another thread loads and
// whose constructor opens a file would wait for it while dlsym waits for that load.
struct RealFunctions
{
    FopenFunction fopen = next<FopenFunction>("fopen");
    FopenFunction fopen64 = next<FopenFunction>("fopen64");
    OpendirFunction opendir = next<OpendirFunction>("opendir");
};

const RealFunctions &real()
{
    static const RealFunctions functions;
    return functions;
}

void setDirectory(const char *directory)
{
    g_active.store(false, std::memory_order_release);
    if (directory && *directory && strlen(directory) < sizeof g_dir) {
        snprintf(g_dir, sizeof g_dir, "%s", directory);
        g_active.store(true, std::memory_order_release);
    }
}

// A preloaded shim learns its directory from the environment.
__attribute__((constructor)) void initFromEnvironment()
{
    real();
    setDirectory(getenv(USBSIM_DIR_VARIABLE));
    g_plain = getenv(USBSIM_PLAIN_VARIABLE) != nullptr;
    if (!g_plain || !g_active.load(std::memory_order_acquire))
        return;
    char path[kPathSize + 32];
    snprintf(path, sizeof path, "%s/%s", g_dir, USBSIM_CPU_FILE);
    const long fd = own(SYS_openat, AT_FDCWD, path, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    if (own(SYS_ftruncate, fd, long(sizeof(long long))) == 0) {
        void *shared
                = mmap(nullptr, sizeof(long long), PROT_READ | PROT_WRITE, MAP_SHARED, int(fd), 0);
        if (shared != MAP_FAILED)
            g_cpuNs = static_cast<std::atomic<long long> *>(shared);
    }
    own(SYS_close, fd);
}

} // namespace

extern "C" {

// The fixture finds these through weak references, so it also builds without the shim.
void usbsim_set_directory(const char *directory)
{
    setDirectory(directory);
}

long usbsim_own_syscalls()
{
    return g_ownSyscalls.load(std::memory_order_relaxed);
}

int ioctl(int fd, unsigned long request, ...) noexcept
{
    va_list args;
    va_start(args, request);
    void *arg = va_arg(args, void *);
    va_end(args);
    // Callers holding the number in an int sign-extend it.
    const unsigned code = unsigned(request);
    const unsigned type = _IOC_TYPE(code);
    Target target;
    if (type == 'U' || type == 'P') {
        const CpuTime spent;
        if (classifyFd(fd, target)) {
            const int result = type == 'U' ? usbfsRequest(fd, target, code, arg)
                                           : printerRequest(target, code, arg);
            if (result < 0) {
                errno = -result;
                return -1;
            }
            return result;
        }
    }
    return int(syscall(SYS_ioctl, fd, request, arg));
}

// The mode argument of the open family exists only when a file may be created.
#define USBSIM_OPEN(name) \
    int name(const char *path, int flags, ...) \
    { \
        va_list args; \
        va_start(args, flags); \
        const mode_t mode = needsMode(flags) ? va_arg(args, mode_t) : 0; \
        va_end(args); \
        return openChecked(AT_FDCWD, path, flags, mode); \
    }
#define USBSIM_OPENAT(name) \
    int name(int dirfd, const char *path, int flags, ...) \
    { \
        va_list args; \
        va_start(args, flags); \
        const mode_t mode = needsMode(flags) ? va_arg(args, mode_t) : 0; \
        va_end(args); \
        return openChecked(dirfd, path, flags, mode); \
    }
USBSIM_OPEN(open)
USBSIM_OPEN(open64)
USBSIM_OPENAT(openat)
USBSIM_OPENAT(openat64)

// What fortified callers use instead.
int __open_2(const char *path, int flags)
{
    return openChecked(AT_FDCWD, path, flags, 0);
}

int __open64_2(const char *path, int flags)
{
    return openChecked(AT_FDCWD, path, flags, 0);
}

int __openat_2(int dirfd, const char *path, int flags)
{
    return openChecked(dirfd, path, flags, 0);
}

int __openat64_2(int dirfd, const char *path, int flags)
{
    return openChecked(dirfd, path, flags, 0);
}

FILE *fopen(const char *path, const char *mode)
{
    char buffer[kPathSize];
    return real().fopen(redirect(path, buffer, sizeof buffer), mode);
}

FILE *fopen64(const char *path, const char *mode)
{
    char buffer[kPathSize];
    return real().fopen64(redirect(path, buffer, sizeof buffer), mode);
}

DIR *opendir(const char *path)
{
    char buffer[kPathSize];
    return real().opendir(redirect(path, buffer, sizeof buffer));
}

int access(const char *path, int mode) noexcept
{
    char buffer[kPathSize];
    return int(syscall(SYS_faccessat, AT_FDCWD, redirect(path, buffer, sizeof buffer), mode));
}

#define USBSIM_STAT(name, type, flags) \
    int name(const char *path, struct type *info) noexcept \
    { \
        char buffer[kPathSize]; \
        return int(syscall(SYS_newfstatat, AT_FDCWD, redirect(path, buffer, sizeof buffer), info, \
                           flags)); \
    }
USBSIM_STAT(stat, stat, 0)
USBSIM_STAT(stat64, stat64, 0)
USBSIM_STAT(lstat, stat, AT_SYMLINK_NOFOLLOW)
USBSIM_STAT(lstat64, stat64, AT_SYMLINK_NOFOLLOW)

// Device files and printer nodes are character devices, as the kernel's are.
#define USBSIM_FSTAT(name, type) \
    int name(int fd, struct type *info) noexcept \
    { \
        const int result = int(syscall(SYS_fstat, fd, info)); \
        Target target; \
        if (result == 0 && S_ISREG(info->st_mode) && g_active.load(std::memory_order_acquire)) { \
            const CpuTime spent; \
            if (classifyFd(fd, target)) \
                info->st_mode = (info->st_mode & ~S_IFMT) | S_IFCHR; \
        } \
        return result; \
    }
USBSIM_FSTAT(fstat, stat)
USBSIM_FSTAT(fstat64, stat64)

int statx(int dirfd, const char *path, int flags, unsigned int mask, struct statx *info) noexcept
{
    char buffer[kPathSize];
    return int(syscall(SYS_statx, dirfd, redirect(path, buffer, sizeof buffer), flags, mask, info));
}

} // extern "C"
