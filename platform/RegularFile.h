#pragma once
// A regular file opened for reading at chosen offsets. Opening never waits:
// a pipe or a device of that name is refused, not read.

#include <QtGlobal>

#include <string>

namespace platform {

class RegularFile
{
public:
    RegularFile() = default;
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    // False when `path` names no readable regular file.
    bool open(const std::string& path);
    qint64 size() const { return m_size; }
    // Up to `size` bytes at `offset` into `out` (fewer at the end); false
    // when none could be read.
    bool readAt(quint64 offset, size_t size, std::string& out) const;

private:
    int m_fd = -1;
    qint64 m_size = 0;
};

} // namespace platform
