#include "platform/FileCopy.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace platform {

namespace {

constexpr size_t BufferSize = 1 << 20;

class Fd
{
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    void reset(int fd)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

enum class Outcome { Done, Failed, Unsupported };

// In-kernel copy: no trip through our buffers. Unsupported before the first
// byte (other file system, special files) falls back to read and write.
Outcome copyInKernel(int in, int out)
{
    bool copiedAny = false;
    for (;;) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, size_t(1) << 30, 0);
        if (n == 0)
            return Outcome::Done;
        if (n > 0) {
            copiedAny = true;
            continue;
        }
        if (errno == EINTR)
            continue;
        if (!copiedAny && (errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                           errno == EOPNOTSUPP || errno == EBADF || errno == EPERM))
            return Outcome::Unsupported;
        return Outcome::Failed;
    }
}

bool copyByBuffer(int in, int out)
{
    std::unique_ptr<char[]> buffer(new char[BufferSize]);
    for (;;) {
        const ssize_t got = ::read(in, buffer.get(), BufferSize);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (got == 0)
            return true;
        ssize_t put;
        do {
            put = ::write(out, buffer.get(), size_t(got));
        } while (put < 0 && errno == EINTR);
        // A short write means the medium is full or failing: never retried.
        if (put != got)
            return false;
    }
}

} // namespace

bool copyFileBytes(const QString& source, const QString& destination)
{
    Fd in(::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0)
        return false;
    struct stat info;
    if (::fstat(in.get(), &info) != 0 || S_ISDIR(info.st_mode))
        return false;
    const mode_t mode = info.st_mode & 0777;
    const QByteArray target = QFile::encodeName(destination);
    // Installing into the distribution folder itself names each file twice:
    // truncating the destination would empty the source. Its bytes are
    // already in place.
    struct stat existing;
    if (::stat(target.constData(), &existing) == 0 && existing.st_dev == info.st_dev &&
        existing.st_ino == info.st_ino)
        return true;
    // A new file takes the source's mode (less the umask) as it is made; a
    // replaced one keeps its old mode through O_TRUNC and is given the new.
    bool replaced = false;
    Fd out(::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    if (out.get() < 0 && errno == EEXIST) {
        replaced = true;
        out.reset(::open(target.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode));
    }
    if (out.get() < 0)
        return false;

    bool ok = true;
    struct stat outInfo;
    if (::fstat(out.get(), &outInfo) == 0 && S_ISREG(outInfo.st_mode)) {
        if (replaced) {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            ::fchmod(out.get(), mode & ~mask);
        }
        // Shared extents where the file system has them, as cp does.
        if (S_ISREG(info.st_mode) && ::ioctl(out.get(), FICLONE, in.get()) == 0)
            return out.close();
    }
    switch (copyInKernel(in.get(), out.get())) {
    case Outcome::Done:
        break;
    case Outcome::Failed:
        ok = false;
        break;
    case Outcome::Unsupported:
        ok = copyByBuffer(in.get(), out.get());
        break;
    }
    const bool outClosed = out.close();
    const bool inClosed = in.close();
    return ok && outClosed && inClosed;
}

} // namespace platform
