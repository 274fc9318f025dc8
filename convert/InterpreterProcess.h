#pragma once
// One conversion in folivant-interpreter, seen from the caller's process:
// starts the child, relays its output and input requests to the callback and
// its progress to the window, and ends it (see InterpreterProtocol.h).
//
// While the child works, the caller's events are processed every few
// milliseconds, so a window keeps painting; it is up to the window to hold
// back the input it does not want during a run.

#include "convert/GsDll.h"
#include "convert/InterpreterProtocol.h"
#include "convert/RunPlan.h"
#include "platform/ChildProcess.h"

#include <QPointer>
#include <QTemporaryDir>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace convert {

// The interpreter processes that outlive a run: the one started ahead of
// the next run, and those that have done their work and end on their own.
class InterpreterChildren
{
public:
    // The address space each interpreter may hold, in MiB (0: no limit of
    // ours); a document that needs more fails the run with
    // interpreter::OutOfMemory.
    static constexpr quint64 DefaultMemoryLimitMiB = 2048;
    quint64 memoryLimitMiB = DefaultMemoryLimitMiB;

    // From now on a child is kept started ahead of the next run, so that a
    // run does not wait for the library to load. Warmed up, it has also run
    // the library once, which makes a first run faster but costs a short
    // job's worth of work: for runs that follow each other at once, a child
    // that is only loaded does better.
    void keepOneReady(bool warmedUp);
    // The child started ahead, if any.
    std::unique_ptr<platform::ChildProcess> takeReady();
    // A child whose work is done; it is reaped once it has ended.
    void leave(std::unique_ptr<platform::ChildProcess> child);
    // After a run: ended children reaped, the next one started ahead.
    void tidy();

    enum class Start { ForItsJob, Ahead, AheadWarmedUp };
    static std::unique_ptr<platform::ChildProcess> start(Start how, QString* error);

private:
    bool m_keepOneReady = false;
    bool m_warmedUp = true;
    std::unique_ptr<platform::ChildProcess> m_ready;
    std::vector<std::unique_ptr<platform::ChildProcess>> m_leaving;
};

class InterpreterProcess
{
public:
    InterpreterProcess(GsdllCallback callback, QObject* window, InterpreterChildren& children);
    ~InterpreterProcess();
    InterpreterProcess(const InterpreterProcess&) = delete;
    InterpreterProcess& operator=(const InterpreterProcess&) = delete;

    // Runs the plan until the interpreter has done its last step. Returns 0
    // (the child then waits for finish()), the interpreter's error code, or
    // interpreter::Stopped / interpreter::Crashed; the child has then ended.
    int32_t run(const RunPlan& plan);
    // Shuts the interpreter of a successful run down, which completes the
    // output, and waits for the child's end.
    int32_t finish();

    // Pages each file of the plan made, in order; -1 where not known.
    const std::vector<int>& pages() const { return m_pages; }
    // The index of the file during which the run failed, or -1.
    int failedSource() const { return m_failedSource; }

    // Ends the running child, if any, and makes the run return
    // interpreter::Stopped; a request made while none runs stops the next
    // one at its start. Safe from a signal handler.
    static void requestStop();

private:
    enum class Until { Result, Ended };
    int32_t relay(Until until);
    void handle(const interpreter::Message& message);
    int32_t childGone();
    void sendProgress(int percent);
    void pumpEvents();
    void ended(bool waitForIt = true);

    GsdllCallback m_callback;
    InterpreterChildren& m_children;
    QPointer<QObject> m_window;
    std::unique_ptr<platform::ChildProcess> m_child;
    std::unique_ptr<QTemporaryDir> m_tempDir;
    std::vector<int> m_pages;
    int m_failedSource = -1;
    bool m_lineOpen = false; // the child's output ends within a line
    std::vector<char> m_scratch;
    // Bytes from the child, cut into frames.
    interpreter::FrameDecoder m_incoming;
    std::vector<char> m_readBuffer;
    static constexpr size_t ReadChunk = 64 * 1024;
    int m_sent = -1;
    bool m_finished = false; // 100 was sent: no more reports
    int32_t m_code = 0;
    bool m_haveCode = false;

    // A stop comes from a signal handler too: it reaches the running child
    // through these alone.
    static std::atomic<bool> s_stopRequested;
    static std::atomic<platform::ChildProcess::Id> s_running;
};

} // namespace convert
