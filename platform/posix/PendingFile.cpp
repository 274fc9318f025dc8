#include "platform/PendingFile.h"

#include "platform/posix/ReadAt.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

FileProblem problemFor(int error, const QString& folder)
{
    FileProblem p;
    p.folder = folder;
    switch (error) {
    case ENOENT:
        p.kind = FileProblem::FolderMissing;
        break;
    case ENOTDIR:
        p.kind = FileProblem::NotAFolder;
        break;
    case EISDIR:
        p.kind = FileProblem::IsAFolder;
        break;
    case EROFS:
        p.kind = FileProblem::ReadOnly;
        break;
    case EACCES:
    case EPERM:
        p.kind = FileProblem::NoPermission;
        break;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        p.kind = FileProblem::DiskFull;
        break;
    default:
        p.kind = FileProblem::Other;
        p.systemText = QString::fromLocal8Bit(std::strerror(error));
        break;
    }
    return p;
}

// The temporary files' names: hidden, and short whatever the final name's
// length. The X's become letters and digits drawn at random.
constexpr char NamePattern[] = ".folivant-XXXXXX.pdf";
constexpr size_t RandomAt = 10;
constexpr size_t RandomLength = 6;
constexpr char RandomLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

// A name create() could have made.
bool isPendingName(const char* name)
{
    if (std::strlen(name) != sizeof NamePattern - 1)
        return false;
    for (size_t i = 0; i < sizeof NamePattern - 1; ++i) {
        const bool random = i >= RandomAt && i < RandomAt + RandomLength;
        if (random ? std::strchr(RandomLetters, name[i]) == nullptr : name[i] != NamePattern[i])
            return false;
    }
    return true;
}

// Removes the temporary files of runs that never ended (a process killed,
// a machine stopped) from `folder`. A run holds a lock on its file while
// it lasts, which the system drops when the process ends; the first moments
// of a file, before its lock is taken, are covered by its age.
void removeLeftovers(int folder)
{
    const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* entries = listing < 0 ? nullptr : ::fdopendir(listing);
    if (!entries) {
        if (listing >= 0)
            ::close(listing);
        return;
    }
    const time_t oldEnough = std::time(nullptr) - 60;
    while (const dirent* entry = ::readdir(entries)) {
        if (!isPendingName(entry->d_name))
            continue;
        const int fd =
            ::openat(folder, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat mine;
        struct stat named;
        if (::fstat(fd, &mine) == 0 && S_ISREG(mine.st_mode) && mine.st_mtime < oldEnough &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::fstatat(folder, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_dev == mine.st_dev && named.st_ino == mine.st_ino)
            ::unlinkat(folder, entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(entries);
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

} // namespace

PendingFile::~PendingFile()
{
    discard();
    if (m_folder >= 0)
        ::close(m_folder);
}

bool PendingFile::create(const QString& finalName, FileProblem* problem)
{
    const QFileInfo info(finalName);
    m_final = info.absoluteFilePath();
    const QString folder = info.absolutePath();
    m_finalLeaf = QFile::encodeName(info.fileName());
    const auto fail = [&](int error) {
        if (problem)
            *problem = problemFor(error, folder);
        return false;
    };

    m_folder = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folder < 0)
        return fail(errno);
    struct stat named;
    if (::fstatat(m_folder, m_finalLeaf.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISDIR(named.st_mode))
        return fail(EISDIR);

    removeLeftovers(m_folder);
    char leaf[sizeof NamePattern];
    std::memcpy(leaf, NamePattern, sizeof NamePattern);
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        for (size_t i = RandomAt; i < RandomAt + RandomLength; ++i)
            leaf[i] =
                RandomLetters[QRandomGenerator::global()->bounded(int(sizeof RandomLetters - 1))];
        m_fd = ::openat(m_folder, leaf, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (m_fd < 0 && errno != EEXIST)
            return fail(errno);
    }
    if (m_fd < 0)
        return fail(EEXIST);
    // Held while the file is ours: it tells the next run in this folder
    // that the file is no leftover.
    ::flock(m_fd, LOCK_EX | LOCK_NB);
    m_leaf = leaf;
    m_temporary = folder + QLatin1Char('/') + QFile::decodeName(m_leaf);
    // A new PDF gets the mode a plain new file would get; a replaced one
    // keeps its own.
    const mode_t mode =
        (::fstatat(m_folder, m_finalLeaf.constData(), &named, 0) == 0 && S_ISREG(named.st_mode))
            ? (named.st_mode & 07777)
            : (0666 & ~currentUmask());
    ::fchmod(m_fd, mode);
    return true;
}

qint64 PendingFile::readAt(qint64 offset, char* data, qint64 size) const
{
    return m_fd < 0 ? -1 : qint64(platform::readAt(m_fd, off_t(offset), data, size_t(size)));
}

qint64 PendingFile::size() const
{
    struct stat info;
    return m_fd >= 0 && ::fstat(m_fd, &info) == 0 ? qint64(info.st_size) : -1;
}

bool PendingFile::isStillOurs() const
{
    struct stat mine;
    struct stat named;
    return m_fd >= 0 && ::fstat(m_fd, &mine) == 0 &&
           ::fstatat(m_folder, m_leaf.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISREG(named.st_mode) && mine.st_dev == named.st_dev && mine.st_ino == named.st_ino;
}

bool PendingFile::commit(FileProblem* problem)
{
    const QString folder = QFileInfo(m_final).absolutePath();
    int error = 0;
    if (m_fd < 0)
        error = EBADF;
    else if (!isStillOurs())
        error = ENOENT;
    else if (::fsync(m_fd) != 0)
        error = errno;
    else if (::renameat(m_folder, m_leaf.constData(), m_folder, m_finalLeaf.constData()) != 0)
        error = errno;
    if (error != 0) {
        discard();
        if (problem)
            *problem = problemFor(error, folder);
        return false;
    }
    m_leaf.clear();
    m_temporary.clear();
    ::close(m_fd);
    m_fd = -1;
    // The rename itself reaches the disk with the folder.
    ::fsync(m_folder);
    return true;
}

void PendingFile::discard()
{
    if (!m_leaf.isEmpty() && isStillOurs())
        ::unlinkat(m_folder, m_leaf.constData(), 0);
    m_leaf.clear();
    m_temporary.clear();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool isSameFile(const QString& a, const QString& b)
{
    struct stat first;
    struct stat second;
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

} // namespace platform
