#include "platform/SafeFiles.h"

#include "platform/posix/SystemError.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Another copy of the program may be saving the same file: it holds the
// replacement's lock for a few milliseconds. One that is stopped must not
// hang this one.
constexpr int LockWaitMs = 2000;

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool lockWithin(int fd, QDeadlineTimer deadline)
{
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return false;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(10);
    }
}

// Opens the replacement file locked and empty. The name may hold a file that
// a killed save left (taken over), one that another save is writing (waited
// for), or something planted there: a link, a second name of another file,
// a pipe. Those are never opened for writing, only their name is removed.
int openReplacement(const QByteArray& name)
{
    const QDeadlineTimer deadline(LockWaitMs);
    for (int attempt = 0; attempt < 16; ++attempt) {
        const int fd = ::open(name.constData(),
                              O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
        if (fd < 0) {
            // A link (ELOOP) or a pipe nobody reads (ENXIO): drop the name.
            if ((errno == ELOOP || errno == ENXIO) && ::unlink(name.constData()) == 0)
                continue;
            return -1;
        }
        struct stat opened;
        struct stat named;
        if (::fstat(fd, &opened) != 0 || !lockWithin(fd, deadline)) {
            ::close(fd);
            return -1;
        }
        const bool stillNamed = ::lstat(name.constData(), &named) == 0 && sameFile(opened, named);
        if (stillNamed && S_ISREG(opened.st_mode) && opened.st_nlink == 1 &&
            ::ftruncate(fd, 0) == 0)
            return fd;
        // Renamed into place or removed by the save we waited for: try
        // again with a new file. Anything but a plain file of its own goes.
        if (stillNamed && (!S_ISREG(opened.st_mode) || opened.st_nlink != 1))
            ::unlink(name.constData());
        ::close(fd);
    }
    return -1;
}

bool writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        // A full disk, a quota or a size limit: the rest never fits.
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

// Makes the rename itself last over a power cut. A file system that cannot
// do this still has the file whole, so the outcome is not checked.
void syncFolderOf(const QString& fileName)
{
    const int dir = ::open(QFile::encodeName(QFileInfo(fileName).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace

QString replacementFileName(const QString& fileName)
{
    return fileName + QStringLiteral(".new");
}

bool replaceFileWhole(const QString& fileName, const QByteArray& bytes, std::optional<int> mode,
                      QString* error)
{
    const QByteArray target = QFile::encodeName(fileName);
    const QByteArray temp = QFile::encodeName(replacementFileName(fileName));
    struct stat old;
    const bool exists = ::lstat(target.constData(), &old) == 0;
    if (!exists && errno != ENOENT)
        return failWithErrno(error, fileName);
    if (exists && S_ISDIR(old.st_mode)) {
        errno = EISDIR;
        return failWithErrno(error, fileName);
    }
    if (exists && S_ISREG(old.st_mode) &&
        ::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0)
        return failWithErrno(error, fileName);

    const int fd = openReplacement(temp);
    if (fd < 0)
        return failWithErrno(error, replacementFileName(fileName));
    // Only the new file's own mode is ever set: a link found at the name
    // gives none and has none taken from it.
    if (!mode && exists && S_ISREG(old.st_mode))
        mode = int(old.st_mode & 07777);
    // The lock is held until the rename is done, so no other save can write
    // into the file once it stands in place.
    if ((!mode || ::fchmod(fd, mode_t(*mode)) == 0) && writeAll(fd, bytes) && ::fsync(fd) == 0 &&
        ::rename(temp.constData(), target.constData()) == 0) {
        ::close(fd);
        syncFolderOf(fileName);
        return true;
    }
    const int code = errno;
    ::unlink(temp.constData());
    ::close(fd);
    errno = code;
    return failWithErrno(error, fileName);
}

bool isWritableFolder(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder);
    struct stat info;
    return ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           ::faccessat(AT_FDCWD, path.constData(), W_OK | X_OK, AT_EACCESS) == 0;
}

bool makePrivateFolder(const QString& folder, QString* error)
{
    const QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    if (QFileInfo(path).isDir())
        return true;
    const QString parent = QFileInfo(path).path();
    if (parent != path && !makePrivateFolder(parent, error))
        return false;
    if (::mkdir(QFile::encodeName(path).constData(), 0700) == 0)
        return true;
    // Made by someone else meanwhile.
    return (errno == EEXIST && QFileInfo(path).isDir()) || failWithErrno(error, path);
}

} // namespace platform
