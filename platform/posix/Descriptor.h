#pragma once
// A file descriptor closed when it goes out of scope, for the POSIX code.
// Header only and free of Qt, so the print backend can use it too.

#include <unistd.h>

namespace platform {

class Descriptor
{
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return m_fd; }
    // Closes it now; false when closing reports an error (a write that
    // could not be flushed, on some file systems).
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

} // namespace platform
