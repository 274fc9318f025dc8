#include "platform/StopSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

namespace platform {

namespace {
// The signal handler's one way to the event loop: a byte, the signal's
// number, down a pipe the loop watches.
int g_requests[2] = {-1, -1};

void noteRequest(int signal)
{
    const int saved = errno;
    const char number = char(signal);
    writeNow(g_requests[1], &number, 1);
    errno = saved;
}
} // namespace

void onStopSignals(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // Interrupted waits come back with EINTR and look again.
    action.sa_flags = 0;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        // A signal the program was started ignoring stays ignored: nohup
        // asks a run to outlive its terminal, a shell's background job to
        // let Ctrl+C pass.
        struct sigaction before = {};
        if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN)
            continue;
        sigaction(signal, &action, nullptr);
    }
}

bool whenStopRequested(QObject* context, std::function<void(int)> handler)
{
    if (g_requests[0] < 0 && ::pipe2(g_requests, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    auto* notifier = new QSocketNotifier(g_requests[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [handler] {
        char number = 0;
        while (::read(g_requests[0], &number, 1) == 1)
            handler(number);
    });
    onStopSignals(noteRequest);
    return true;
}

void onCrashSignals(void (*handler)(int))
{
    static char alternateStack[64 * 1024];
    stack_t stack{};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    ::sigaltstack(&stack, nullptr);

    struct sigaction action = {};
    action.sa_handler = handler;
    action.sa_flags = SA_RESETHAND | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT})
        ::sigaction(signal, &action, nullptr);
}

void endBySignal(int signal)
{
    // SA_RESETHAND gave the default action back.
    ::raise(signal);
}

void writeNow(int descriptor, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(descriptor, data, size);
        if (n <= 0)
            break;
        data += n;
        size -= size_t(n);
    }
}

} // namespace platform
