#include "platform/RegularFile.h"

#include "platform/posix/ReadAt.h"

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
    const ssize_t n = m_fd < 0 ? -1 : platform::readAt(m_fd, off_t(offset), &out[0], size);
    out.resize(n > 0 ? size_t(n) : 0);
    return n > 0;
}

} // namespace platform
