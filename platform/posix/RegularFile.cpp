#include "platform/RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

RegularFile::~RegularFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool RegularFile::open(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
    m_size = qint64(st.st_size);
    return true;
}

bool RegularFile::readAt(quint64 offset, size_t size, std::string& out) const
{
    out.assign(size, '\0');
    size_t done = 0;
    while (m_fd >= 0 && done < size) {
        const ssize_t n = ::pread(m_fd, &out[done], size - done, off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += size_t(n);
    }
    out.resize(done);
    return done > 0;
}

} // namespace platform
