#include "platform/FileCopy.h"

#include "platform/posix/Descriptor.h"
#include "platform/posix/SystemError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace platform {

namespace {

constexpr size_t BufferSize = 1 << 20;

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
        if (put != got) {
            if (put >= 0)
                errno = ENOSPC;
            return false;
        }
    }
}

// The folder that receives a copy, opened once: every step works inside
// it, so the folder cannot be swapped while the copy runs. Below `within`
// every folder is taken as it is, never through a symbolic link.
int openFolder(const QString& folder, const QString& within)
{
    QString start = folder;
    QString rest;
    if (!within.isEmpty() && (folder == within || folder.startsWith(within + QLatin1Char('/')))) {
        start = within;
        rest = folder.mid(within.size());
    }
    int fd = ::open(QFile::encodeName(start).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (const QString& part : rest.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (fd < 0)
            break;
        const int next = ::openat(fd, QFile::encodeName(part).constData(),
                                  O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        ::close(fd);
        fd = next;
    }
    return fd;
}

constexpr char TemporaryLetters[] =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr qsizetype TemporarySuffix = 6;

// What a temporary's name holds of the destination's: the dot and the
// suffix must fit into a name's 255 bytes; the cut never splits a UTF-8
// character.
QByteArray temporaryStem(QByteArray name)
{
    constexpr qsizetype MaxStem = 255 - 2 - TemporarySuffix;
    if (name.size() > MaxStem) {
        qsizetype cut = MaxStem;
        while (cut > 0 && (uchar(name[cut]) & 0xC0) == 0x80)
            --cut;
        name.truncate(cut);
    }
    return name;
}

// The bytes go here until they are all there: a hidden name beside the
// destination, so that the final rename stays within one file system.
// Created new, never through anything already at that name.
int createTemporary(int folder, const QByteArray& name, mode_t mode, QByteArray& temporary)
{
    const QByteArray stem = temporaryStem(name);
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray suffix(TemporarySuffix, Qt::Uninitialized);
        for (char& c : suffix)
            c = TemporaryLetters[QRandomGenerator::global()->bounded(
                int(sizeof TemporaryLetters - 1))];
        temporary = '.' + stem + '.' + suffix;
        const int fd = ::openat(folder, temporary.constData(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool isTemporaryOf(const QByteArray& entry, const QByteArray& prefix)
{
    if (entry.size() != prefix.size() + TemporarySuffix || !entry.startsWith(prefix))
        return false;
    const QByteArray letters(TemporaryLetters);
    for (qsizetype i = prefix.size(); i < entry.size(); ++i)
        if (!letters.contains(entry[i]))
            return false;
    return true;
}

// Renames within `folder`, replacing the name or not. Network file systems
// that know no exclusive rename get a hard link, which fails on a taken
// name just the same.
bool renameIn(int folder, const char* from, const char* to, bool replace)
{
    if (replace)
        return ::renameat(folder, from, folder, to) == 0;
    if (::renameat2(folder, from, folder, to, RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL || ::linkat(folder, from, folder, to, 0) != 0)
        return false;
    ::unlinkat(folder, from, 0);
    return true;
}

bool copyBytes(int in, int out)
{
    // Shared extents where the file system has them, as cp does.
    if (::ioctl(out, FICLONE, in) == 0)
        return true;
    switch (copyInKernel(in, out)) {
    case Outcome::Done:
        return true;
    case Outcome::Failed:
        return false;
    case Outcome::Unsupported:
        break;
    }
    return copyByBuffer(in, out);
}

} // namespace

bool copyFileBytes(const QString& source, const QString& destination, const CopyOptions& options,
                   QString* error)
{
    // Not blocking: a pipe under the source's name must not stall the copy
    // before it is refused.
    Descriptor in(::open(QFile::encodeName(source).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (in.get() < 0)
        return failWithErrno(error, source);
    struct stat info;
    if (::fstat(in.get(), &info) != 0)
        return failWithErrno(error, source);
    if (!S_ISREG(info.st_mode))
        return failWith(error, source, QStringLiteral("n'est pas un fichier ordinaire"));
    const QFileInfo target(QDir::cleanPath(destination));
    const Descriptor folder(openFolder(target.path(), QDir::cleanPath(options.within)));
    if (folder.get() < 0)
        return failWithErrno(error, target.path());
    const QByteArray name = QFile::encodeName(target.fileName());
    if (name.isEmpty())
        return failWith(error, destination, QStringLiteral("ne nomme aucun fichier"));
    struct stat existing;
    if (::fstatat(folder.get(), name.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        // Only a file or a link is replaced: a device, a pipe or a folder
        // at that name is nothing a copy may take the place of.
        if (!options.replace)
            return failWith(error, destination, QStringLiteral("existe déjà"));
        if (!(S_ISREG(existing.st_mode) || S_ISLNK(existing.st_mode)))
            return failWith(error, destination,
                            QStringLiteral("n'est ni un fichier ordinaire ni un lien"));
        // Installing into the distribution folder itself names each file
        // twice: its bytes are already in place.
        if (existing.st_dev == info.st_dev && existing.st_ino == info.st_ino)
            return true;
    }

    const mode_t mode = info.st_mode & 0777;
    // A new file takes its mode less the umask as it is made; kept
    // attributes are set in full once the bytes are in.
    QByteArray temporary;
    Descriptor out(
        createTemporary(folder.get(), name, options.keepAttributes ? 0600 : mode, temporary));
    if (out.get() < 0)
        return failWithErrno(error, target.path());
    bool ok = copyBytes(in.get(), out.get());
    int code = errno;
    if (ok && options.keepAttributes) {
        // Attributes the file system cannot hold (a FAT stick) are no reason
        // to lose the copy.
        ::fchmod(out.get(), mode);
        const struct timespec times[2] = {info.st_atim, info.st_mtim};
        ::futimens(out.get(), times);
    }
    if (!out.close() && ok) {
        ok = false;
        code = errno;
    }
    if (ok && !renameIn(folder.get(), temporary.constData(), name.constData(), options.replace)) {
        ok = false;
        code = errno;
    }
    if (ok)
        return true;
    ::unlinkat(folder.get(), temporary.constData(), 0);
    errno = code;
    return failWithErrno(error, destination);
}

QStringList removeCopyLeftovers(const QString& destination, const QString& within)
{
    QStringList failed;
    const QFileInfo target(QDir::cleanPath(destination));
    const QString base = QDir::cleanPath(within);
    if (within.isEmpty() ||
        (target.path() != base && !target.path().startsWith(base + QLatin1Char('/'))))
        return failed;
    const Descriptor folder(openFolder(target.path(), base));
    const QByteArray name = QFile::encodeName(target.fileName());
    // No folder, no leftovers; a folder reached through a link is not ours.
    if (folder.get() < 0 || name.isEmpty())
        return failed;
    const int listed = ::dup(folder.get());
    DIR* dir = listed >= 0 ? ::fdopendir(listed) : nullptr;
    if (!dir) {
        if (listed >= 0)
            ::close(listed);
        return failed;
    }
    const QByteArray prefix = '.' + temporaryStem(name) + '.';
    QList<QByteArray> found;
    while (const struct dirent* entry = ::readdir(dir)) {
        const QByteArray entryName(entry->d_name);
        struct stat info;
        if (isTemporaryOf(entryName, prefix) &&
            ::fstatat(folder.get(), entryName.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode))
            found << entryName;
    }
    ::closedir(dir);
    for (const QByteArray& entryName : found)
        if (::unlinkat(folder.get(), entryName.constData(), 0) != 0 && errno != ENOENT)
            failed << target.path() + QLatin1Char('/') + QFile::decodeName(entryName);
    return failed;
}

bool copySymbolicLink(const QString& source, const QString& destination, QString* error)
{
    const QByteArray from = QFile::encodeName(source);
    struct stat info;
    if (::lstat(from.constData(), &info) != 0)
        return failWithErrno(error, source);
    if (!S_ISLNK(info.st_mode))
        return failWith(error, source, QStringLiteral("n'est pas un lien symbolique"));
    // The size a link reports may be short (some file systems say 0): grow
    // until the text fits with room to spare.
    QByteArray text(qMax<qsizetype>(info.st_size, 255) + 1, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::readlink(from.constData(), text.data(), size_t(text.size()));
        if (n < 0)
            return failWithErrno(error, source);
        if (n < text.size()) {
            text.truncate(n);
            break;
        }
        text.resize(text.size() * 2);
    }
    const QByteArray to = QFile::encodeName(destination);
    if (::symlink(text.constData(), to.constData()) != 0)
        return failWithErrno(error, destination);
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    ::utimensat(AT_FDCWD, to.constData(), times, AT_SYMLINK_NOFOLLOW);
    return true;
}

void copyFolderAttributes(const QString& source, const QString& destination)
{
    struct stat info;
    if (::stat(QFile::encodeName(source).constData(), &info) != 0)
        return;
    const QByteArray to = QFile::encodeName(destination);
    ::chmod(to.constData(), info.st_mode & 0777);
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    ::utimensat(AT_FDCWD, to.constData(), times, 0);
}

bool moveEntry(const QString& from, const QString& to, QString* error)
{
    const QByteArray a = QFile::encodeName(from);
    const QByteArray b = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_NOREPLACE) == 0)
        return true;
    // A folder cannot be hard-linked: where the file system lacks the
    // exclusive rename, look first.
    if (errno != EINVAL)
        return failWithErrno(error, from);
    struct stat taken;
    if (::lstat(b.constData(), &taken) == 0) {
        errno = EEXIST;
        return failWithErrno(error, to);
    }
    return ::rename(a.constData(), b.constData()) == 0 || failWithErrno(error, from);
}

bool flushFileSystem(const QString& folder, QString* error)
{
    const Descriptor fd(
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return (fd.get() >= 0 && ::syncfs(fd.get()) == 0) || failWithErrno(error, folder);
}

} // namespace platform
