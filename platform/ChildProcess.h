#pragma once
// A helper program of ours run as a child process, talking over one
// two-way channel that is its standard input and output. Its standard error
// is ours. The child is ended when the object goes.

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <sys/types.h>

namespace platform {

class ChildProcess
{
public:
    using Id = pid_t;

    struct Ending
    {
        bool exited = false; // ended through exit with `code`
        int code = 0;
        int signal = 0; // ended by this signal
    };

    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts program with args and the environment changed by `environment`:
    // "NAME=value" sets NAME, "NAME" removes it, "PREFIX*" removes every name
    // that begins with PREFIX. False, with the reason, when it cannot start.
    bool start(const QString& program, const QStringList& args, const QStringList& environment,
               QString* error);

    int channel() const { return m_channel; }
    pid_t pid() const { return m_pid; }

    // Writes all of the bytes; false when the child is gone.
    bool writeAll(const void* data, size_t size);
    // Reads what has arrived, at most size bytes, waiting for the first
    // byte when there is none. Returns the bytes read, or 0 at the end and
    // after a failure.
    size_t readSome(void* data, size_t size);
    // Waits at most timeoutMs until there is something to read or the child
    // has gone: true then.
    bool waitReadable(int timeoutMs) const;

    // Ends the child at once (SIGKILL). Safe from a signal handler.
    static void kill(pid_t pid);
    // Called in a child: it ends when its parent does, even while it is
    // busy, so a killed window leaves no interpreter looping behind.
    static void endWithParent();
    // Called in a child: moves the channel off standard input and output to
    // a descriptor of its own, which it returns (-1 on failure); standard
    // input then reads nothing and standard output goes to standard error,
    // so what a library prints never gets into the channel.
    static int takeChannel();
    // Called in a child: limits the address space it may hold to `bytes`
    // (0: no limit of ours); allocations beyond it fail.
    static bool limitMemory(quint64 bytes);
    // All of the bytes over a channel, either way; false when the other side
    // has gone. For the child's side of the channel.
    static bool sendAll(int channel, const void* data, size_t size);
    static bool receiveAll(int channel, void* data, size_t size);
    // What has arrived over a channel, at most size bytes, waiting for the
    // first; 0 when the other side has gone.
    static size_t receiveSome(int channel, void* data, size_t size);
    // Waits for the child's end and tells how it ended.
    Ending wait();
    // True when the child has ended (and is reaped), without waiting.
    bool hasEnded();

private:
    pid_t m_pid = -1;
    int m_channel = -1;
};

} // namespace platform
