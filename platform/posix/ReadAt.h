#pragma once
// Reading a descriptor at an offset, for the POSIX implementations.

#include <cerrno>
#include <cstddef>
#include <sys/types.h>
#include <unistd.h>

namespace platform {

// Reads up to `size` bytes at `offset`, retrying interrupted and short
// reads; the bytes read (fewer at the end of the file), or -1 on an error
// before any byte.
inline ssize_t readAt(int fd, off_t offset, char* data, size_t size)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, data + done, size - done, offset + off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return done > 0 ? ssize_t(done) : -1;
        if (n == 0)
            break;
        done += size_t(n);
    }
    return ssize_t(done);
}

} // namespace platform
