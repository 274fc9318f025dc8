#include "convert/FrameChannel.h"

#include "platform/ChildProcess.h"
#include "platform/StopSignals.h"

namespace convert {

namespace {
// The channel whose waiting frames a crash sends; what a signal handler
// reaches must be global.
std::atomic<FrameChannel*> g_crashChannel{nullptr};
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
    g_crashChannel = this;
    platform::onCrashSignals(&FrameChannel::onFatalSignal);
}

void FrameChannel::onFatalSignal(int signal)
{
    // Only what is async-signal-safe: writing bytes that no one is
    // changing. Frames are only added whole, by the thread that crashed,
    // so what waits is whole unless the crash came while adding one; and
    // what the other thread is writing already goes out.
    FrameChannel* channel = g_crashChannel.load();
    if (channel && !channel->m_writing && !channel->m_gone)
        platform::writeNow(channel->m_descriptor, channel->m_waiting.data(),
                           channel->m_waiting.size());
    // The signal ends the process as it would have without this handler,
    // whether it came from a fault or was sent.
    platform::endBySignal(signal);
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
