#include "platform/StopSignals.h"

#include <csignal>
#include <initializer_list>
#include <unistd.h>

namespace platform {

void onStopSignals(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // Interrupted waits come back with EINTR and look again.
    action.sa_flags = 0;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
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
