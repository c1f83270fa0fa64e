// What one USB status poll costs against the simulated printer: time per
// requestStatus_withRepeat, time per status document read, and system calls per poll. Not a test:
// it prints figures and asserts nothing.
#include "acquisition/pldeviceusb.h"
#include "tests/tools/usbsim/usbsim.h"

#include <QElapsedTimer>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

// The shim counts the system calls it makes for its own bookkeeping.
extern "C" long usbsim_own_syscalls() __attribute__((weak));

namespace {

constexpr quint16 kVendor = 0xf1e0;
constexpr quint16 kProduct = 0x0100;

void quiet(QtMsgType, const QMessageLogContext &, const QString &) { }

template<class Call>
double msPerCall(int calls, Call call)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < calls; ++i)
        call();
    return double(timer.nsecsElapsed()) / 1e6 / calls;
}

struct SyscallCount
{
    long total = -1;
    long shim = 0;
};

// Runs `polls` status polls in a child process that the parent traces, counting the system calls
// between the child's two SIGSTOPs.
SyscallCount countSyscalls(int polls)
{
    int channel[2];
    if (pipe(channel) < 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(channel[0]);
        PlDeviceUsb device(kProduct, kVendor);
        device.requestStatus_withRepeat(); // the first scan fills the bus list
        if (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) < 0)
            _exit(1);
        raise(SIGSTOP);
        const long before = usbsim_own_syscalls ? usbsim_own_syscalls() : 0;
        for (int i = 0; i < polls; ++i)
            device.requestStatus_withRepeat();
        const long shim = (usbsim_own_syscalls ? usbsim_own_syscalls() : 0) - before;
        raise(SIGSTOP);
        if (write(channel[1], &shim, sizeof shim) != sizeof shim)
            _exit(1);
        _exit(0);
    }
    close(channel[1]);
    SyscallCount count;
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFSTOPPED(status)) {
        close(channel[0]);
        return count;
    }
    ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL);
    long entries = 0;
    bool entry = true;
    bool counting = true;
    ptrace(PTRACE_SYSCALL, pid, nullptr, nullptr);
    while (waitpid(pid, &status, 0) == pid && WIFSTOPPED(status)) {
        const int signal = WSTOPSIG(status);
        if (signal == (SIGTRAP | 0x80)) {
            if (entry && counting)
                ++entries;
            entry = !entry;
            ptrace(PTRACE_SYSCALL, pid, nullptr, nullptr);
        } else if (signal == SIGSTOP) {
            counting = false;
            ptrace(PTRACE_CONT, pid, nullptr, nullptr);
        } else {
            ptrace(counting ? PTRACE_SYSCALL : PTRACE_CONT, pid, nullptr,
                   reinterpret_cast<void *>(long(signal)));
        }
    }
    if (read(channel[0], &count.shim, sizeof count.shim) == sizeof count.shim)
        count.total = entries;
    close(channel[0]);
    return count;
}

void printSyscalls(int polls)
{
    const SyscallCount none = countSyscalls(0);
    const SyscallCount some = countSyscalls(polls);
    if (none.total < 0 || some.total < 0) {
        printf("  system calls per status poll: not measured (cannot trace: %s)\n",
               strerror(errno));
        return;
    }
    // The two SIGSTOPs cost a few calls of their own: the run without polls measures them.
    const double total = double(some.total - none.total) / polls;
    const double shim = double(some.shim) / polls;
    printf("  system calls per status poll: %.1f (product %.1f, simulated printer %.1f)\n", total,
           total - shim, shim);
}

QByteArray documentOf(int size)
{
    QByteArray text(size, 'x');
    for (int i = 0; i < size; i += 64)
        text[i] = '\n';
    return text;
}

void measure(const char *setting)
{
    PlDeviceUsb device(kProduct, kVendor);
    device.requestStatus_withRepeat();
    printf("%s\n", setting);
    printf("  requestStatus_withRepeat: %.3f ms\n",
           msPerCall(300, [&device] { device.requestStatus_withRepeat(); }));
    printf("  getJobList: %.3f ms\n", msPerCall(300, [&device] { device.getJobList(); }));
    printSyscalls(100);
}

} // namespace

int main()
{
    // As in the program without "debug": messages are formatted, then dropped.
    qInstallMessageHandler(quiet);
#if defined(__SANITIZE_ADDRESS__)
    printf("bench_usb (sanitizer build: figures include its overhead)\n");
#else
    printf("bench_usb\n");
#endif

    UsbSim sim;
    const UsbSimDevice printer = sim.addPrinter({.vendorId = kVendor, .productId = kProduct});
    measure("One printer on one bus (with its root hub):");

    for (const int size : {4096, 32768}) {
        printer.setDocument(documentOf(size));
        PlDeviceUsb device(kProduct, kVendor);
        const double ms = msPerCall(3, [&device] { device.requestStatusXML(); });
        printf("  requestStatusXML, %d-byte document (%d blocks): %.1f ms, %.1f ms without the "
               "fixed 500 ms pause\n",
               size, size / 256, ms, ms - 500);
    }

    for (int bus = 2; bus <= 4; ++bus) {
        for (int i = 0; i < 3; ++i)
            sim.addPrinter({.vendorId = 0x1111, .productId = quint16(bus * 16 + i), .bus = bus});
    }
    measure("Thirteen devices on four buses:");
    return 0;
}
