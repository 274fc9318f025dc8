#pragma once
// The interpreter process's side of the channel to its caller. Output
// frames may wait up to FlushDelay to leave together with the frames after
// them: a document that prints line by line then costs the caller one
// wake-up per batch instead of one per line. Every other frame takes the
// waiting ones along at once, so the order never changes, and a thread of
// the channel's own sends what has waited long enough while the
// interpreter is busy.

#include "convert/InterpreterProtocol.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>

namespace convert {

class FrameChannel
{
public:
    static constexpr auto FlushDelay = std::chrono::milliseconds(10);
    // What waits is sent at once beyond this size.
    static constexpr size_t MaxWaiting = 64 * 1024;

    explicit FrameChannel(int descriptor);
    // Sends what still waits.
    ~FrameChannel();
    FrameChannel(const FrameChannel&) = delete;
    FrameChannel& operator=(const FrameChannel&) = delete;

    // Sends `frame` and everything waiting before it; false when the caller
    // has gone.
    bool send(const std::string& frame);
    // Queues `frame` to be sent within FlushDelay.
    void sendSoon(const std::string& frame);
    // The next frame from the caller; false when the caller has gone or
    // the channel is broken.
    bool receive(interpreter::Message& message);

    // From now on a crash of the process (SIGSEGV, SIGBUS, SIGILL, SIGFPE,
    // SIGABRT) first sends the frames that wait, then ends the process
    // with its signal as before: the caller sees the last words of a
    // crashing document. One channel of the process at a time.
    void sendWaitingOnCrash();

private:
    static void onFatalSignal(int signal);

    bool flushLocked();
    void flushWhenDue();

    int m_descriptor;
    interpreter::FrameDecoder m_incoming; // only the interpreter's thread reads
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::string m_waiting;
    std::chrono::steady_clock::time_point m_waitingSince;
    bool m_gone = false;
    // Set while the bytes that wait are being written, so that a crash
    // handler does not write them a second time.
    std::atomic<bool> m_writing{false};
    bool m_closing = false;
    std::thread m_flusher; // last: starts once the rest is ready
};

} // namespace convert
