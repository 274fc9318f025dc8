#include "platform/OwnDescriptors.h"

#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

QByteArray resolvedRegularFile(const QString& path, qint64* size)
{
    struct stat st;
    const QByteArray encoded = QFile::encodeName(path);
    if (::stat(encoded.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return QByteArray();
    // The descriptors' names under /proc are resolved paths.
    char* resolved = ::realpath(encoded.constData(), nullptr);
    if (!resolved)
        return QByteArray();
    const QByteArray name(resolved);
    std::free(resolved);
    if (size)
        *size = qint64(st.st_size);
    return name;
}

QByteArray descriptorTarget(int fd)
{
    char link[64];
    char target[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = ::readlink(link, target, sizeof target);
    return n > 0 ? QByteArray(target, int(n)) : QByteArray();
}

std::vector<std::pair<int, QByteArray>> openDescriptors()
{
    std::vector<std::pair<int, QByteArray>> open;
    DIR* dir = ::opendir("/proc/self/fd");
    if (!dir)
        return open;
    const int own = ::dirfd(dir);
    while (dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] < '0' || entry->d_name[0] > '9')
            continue;
        const int fd = std::atoi(entry->d_name);
        if (fd == own)
            continue;
        QByteArray target = descriptorTarget(fd);
        if (!target.isEmpty())
            open.emplace_back(fd, std::move(target));
    }
    ::closedir(dir);
    return open;
}

qint64 descriptorOffset(int fd)
{
    return qint64(::lseek(fd, 0, SEEK_CUR));
}

} // namespace platform
