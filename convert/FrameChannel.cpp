#include "convert/FrameChannel.h"

#include "platform/ChildProcess.h"

#include <csignal>
#include <cstdlib>
#include <unistd.h>

namespace convert {

namespace {
std::atomic<FrameChannel*> g_crashChannel{nullptr};
constexpr int FatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
} // namespace

FrameChannel::FrameChannel(int descriptor)
    : m_descriptor(descriptor), m_flusher([this] { flushWhenDue(); })
{
}

FrameChannel::~FrameChannel()
{
    FrameChannel* self = this;
    g_crashChannel.compare_exchange_strong(self, nullptr);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_closing = true;
        flushLocked();
    }
    m_changed.notify_all();
    m_flusher.join();
}

bool FrameChannel::send(const std::string& frame)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_waiting += frame;
    return flushLocked();
}

void FrameChannel::sendSoon(const std::string& frame)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const bool wasEmpty = m_waiting.empty();
    if (wasEmpty)
        m_waitingSince = std::chrono::steady_clock::now();
    m_waiting += frame;
    if (m_waiting.size() >= MaxWaiting)
        flushLocked();
    else if (wasEmpty)
        m_changed.notify_all();
}

bool FrameChannel::receive(interpreter::Message& message)
{
    for (;;) {
        switch (m_incoming.next(message)) {
        case interpreter::FrameDecoder::Next::Message:
            return true;
        case interpreter::FrameDecoder::Next::Broken:
            return false;
        case interpreter::FrameDecoder::Next::Incomplete:
            break;
        }
        char buffer[4096];
        const size_t n = platform::ChildProcess::receiveSome(m_descriptor, buffer, sizeof buffer);
        if (n == 0)
            return false;
        m_incoming.append(buffer, n);
    }
}

bool FrameChannel::flushLocked()
{
    if (!m_waiting.empty() && !m_gone) {
        m_writing = true;
        m_gone = !platform::ChildProcess::sendAll(m_descriptor, m_waiting.data(), m_waiting.size());
        m_writing = false;
    }
    m_waiting.clear();
    return !m_gone;
}

void FrameChannel::sendWaitingOnCrash()
{
    // A stack of its own, so that a crash from a stack run out can still be
    // handled.
    static char alternateStack[64 * 1024];
    stack_t stack{};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    ::sigaltstack(&stack, nullptr);

    g_crashChannel = this;
    struct sigaction action = {};
    action.sa_handler = &FrameChannel::onFatalSignal;
    action.sa_flags = SA_RESETHAND | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int signal : FatalSignals)
        ::sigaction(signal, &action, nullptr);
}

void FrameChannel::onFatalSignal(int signal)
{
    // Only what is async-signal-safe: write(2) of bytes that no one is
    // changing. Frames are only added whole, by the thread that crashed,
    // so what waits is whole unless the crash came while adding one; and
    // what the other thread is writing already goes out.
    FrameChannel* channel = g_crashChannel.load();
    if (channel && !channel->m_writing && !channel->m_gone) {
        const char* data = channel->m_waiting.data();
        size_t left = channel->m_waiting.size();
        while (left > 0) {
            const ssize_t n = ::write(channel->m_descriptor, data, left);
            if (n <= 0)
                break;
            data += n;
            left -= size_t(n);
        }
    }
    // The default action is back: the signal ends the process as it would
    // have without this handler, whether it came from a fault or was sent.
    ::raise(signal);
}

void FrameChannel::flushWhenDue()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_closing) {
        if (m_waiting.empty()) {
            m_changed.wait(lock);
            continue;
        }
        const auto due = m_waitingSince + FlushDelay;
        if (std::chrono::steady_clock::now() >= due)
            flushLocked();
        else
            m_changed.wait_until(lock, due);
    }
}

} // namespace convert
