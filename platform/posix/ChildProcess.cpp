#include "platform/ChildProcess.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace platform {

ChildProcess::~ChildProcess()
{
    if (m_pid > 0) {
        kill(m_pid);
        wait();
    }
    if (m_channel >= 0)
        ::close(m_channel);
}

bool ChildProcess::start(const QString& program, const QStringList& args,
                         const QStringList& environment, QString* error)
{
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }

    std::vector<QByteArray> argBytes;
    argBytes.push_back(QFile::encodeName(program));
    for (const QString& a : args)
        argBytes.push_back(a.toUtf8());
    std::vector<char*> argv;
    for (QByteArray& a : argBytes)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    // Our environment with the given entries in place of the same names;
    // an entry without '=' removes the name, and one ending in '*' every
    // name that begins with what comes before it.
    std::vector<QByteArray> envBytes;
    std::vector<QByteArray> removed;
    for (const QString& e : environment)
        (e.contains(QLatin1Char('=')) ? envBytes : removed).push_back(e.toUtf8());
    const auto isRemoved = [&removed](const char* entry, size_t nameLength) {
        for (const QByteArray& name : removed) {
            if (name.endsWith('*')
                    ? std::strncmp(entry, name.constData(), size_t(name.size() - 1)) == 0
                    : (size_t(name.size()) == nameLength &&
                       std::strncmp(entry, name.constData(), nameLength) == 0))
                return true;
        }
        return false;
    };
    std::vector<char*> envp;
    for (char** e = environ; e && *e; ++e) {
        const char* eq = std::strchr(*e, '=');
        const size_t nameLength = eq ? size_t(eq - *e) : std::strlen(*e);
        bool replaced = isRemoved(*e, nameLength);
        for (const QByteArray& mine : envBytes)
            replaced = replaced || (mine.size() > int(nameLength) && mine[int(nameLength)] == '=' &&
                                    std::strncmp(mine.constData(), *e, nameLength) == 0);
        if (!replaced)
            envp.push_back(*e);
    }
    for (QByteArray& mine : envBytes)
        envp.push_back(mine.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pair[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pair[1], STDOUT_FILENO);
    // The child starts with default signal handling and nothing blocked,
    // whatever the caller has set up for itself.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = -1;
    const int failed = ::posix_spawn(&pid, argBytes.front().constData(), &actions, &attr,
                                     argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    ::close(pair[1]);
    if (failed != 0) {
        ::close(pair[0]);
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(failed));
        return false;
    }
    m_pid = pid;
    m_channel = pair[0];
    return true;
}

namespace {

// Moves all of size bytes with `step` (send or receive), piece by piece;
// false when the other side has gone.
template <typename Byte, typename Step> bool transferAll(Byte* p, size_t size, Step step)
{
    while (size > 0) {
        const ssize_t n = step(p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= size_t(n);
    }
    return true;
}

} // namespace

bool ChildProcess::sendAll(int channel, const void* data, size_t size)
{
    // MSG_NOSIGNAL: a side that has gone must not take the other with it.
    return transferAll(static_cast<const char*>(data), size, [channel](const char* p, size_t n) {
        return ::send(channel, p, n, MSG_NOSIGNAL);
    });
}

bool ChildProcess::receiveAll(int channel, void* data, size_t size)
{
    return transferAll(static_cast<char*>(data), size,
                       [channel](char* p, size_t n) { return ::recv(channel, p, n, 0); });
}

size_t ChildProcess::receiveSome(int channel, void* data, size_t size)
{
    for (;;) {
        const ssize_t n = ::recv(channel, data, size, 0);
        if (n < 0 && errno == EINTR)
            continue;
        return n > 0 ? size_t(n) : 0;
    }
}

bool ChildProcess::writeAll(const void* data, size_t size)
{
    return sendAll(m_channel, data, size);
}

bool ChildProcess::waitReadable(int timeoutMs) const
{
    pollfd pfd{m_channel, POLLIN, 0};
    const int n = ::poll(&pfd, 1, timeoutMs);
    return n > 0;
}

size_t ChildProcess::readSome(void* data, size_t size)
{
    for (;;) {
        const ssize_t n = ::read(m_channel, data, size);
        if (n >= 0)
            return size_t(n);
        if (errno != EINTR && errno != EAGAIN)
            return 0;
        if (errno == EAGAIN && !waitReadable(-1))
            return 0;
    }
}

void ChildProcess::endWithParent()
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    // The parent may have gone before the request was made.
    if (::getppid() == 1)
        ::_exit(1);
}

int ChildProcess::takeChannel()
{
    const int channel = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
    const int devNull = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (channel < 0 || devNull < 0)
        return -1;
    ::dup2(devNull, STDIN_FILENO);
    ::dup2(STDERR_FILENO, STDOUT_FILENO);
    ::close(devNull);
    return channel;
}

bool ChildProcess::limitMemory(quint64 bytes)
{
    struct rlimit limit;
    limit.rlim_cur = bytes == 0 ? RLIM_INFINITY : rlim_t(bytes);
    limit.rlim_max = limit.rlim_cur;
    struct rlimit old;
    // A lower hard limit set by whoever started us stays.
    if (::getrlimit(RLIMIT_AS, &old) == 0 && old.rlim_max != RLIM_INFINITY &&
        (limit.rlim_max == RLIM_INFINITY || old.rlim_max < limit.rlim_max)) {
        limit.rlim_cur = old.rlim_max;
        limit.rlim_max = old.rlim_max;
    }
    return ::setrlimit(RLIMIT_AS, &limit) == 0;
}

void ChildProcess::kill(pid_t pid)
{
    if (pid > 0)
        ::kill(pid, SIGKILL);
}

bool ChildProcess::hasEnded()
{
    if (m_pid <= 0)
        return true;
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) == 0)
        return false;
    m_pid = -1;
    return true;
}

ChildProcess::Ending ChildProcess::wait()
{
    Ending ending;
    if (m_pid <= 0)
        return ending;
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(m_pid, &status, 0);
    } while (r < 0 && errno == EINTR);
    m_pid = -1;
    if (r < 0)
        return ending;
    if (WIFEXITED(status)) {
        ending.exited = true;
        ending.code = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        ending.signal = WTERMSIG(status);
    }
    return ending;
}

} // namespace platform
