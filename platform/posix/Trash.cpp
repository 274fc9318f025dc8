#include "platform/Trash.h"

#include "platform/FileCopy.h"
#include "platform/KnownFolders.h"
#include "platform/posix/SystemError.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

struct TrashFolder
{
    QByteArray path; // the trash folder, holding files/ and info/
    // The entry's original place is written relative to this folder when
    // it is set (a trash at the top of a file system), else in full.
    QByteArray relativeTo;
};

// One folder level, made for the owner alone when missing, as desktops
// make their data and trash folders.
bool makeFolder(const QByteArray& path)
{
    struct stat info;
    return ::mkdir(path.constData(), 0700) == 0 ||
           (errno == EEXIST && ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode));
}

bool makeTrashFolder(const QByteArray& path)
{
    return makeFolder(path) && makeFolder(path + "/files") && makeFolder(path + "/info");
}

bool onDevice(const QByteArray& path, dev_t device)
{
    struct stat info;
    return ::stat(path.constData(), &info) == 0 && info.st_dev == device;
}

// The data home, where the home trash belongs; empty without a home.
QByteArray dataHome()
{
    const QString data = appDataFolder();
    return data.startsWith(QLatin1Char('/')) ? QFile::encodeName(data) : QByteArray();
}

// The file system of the data home, or of its nearest folder that exists
// when it is still to be made.
dev_t homeDevice(QByteArray path)
{
    struct stat info;
    while (::stat(path.constData(), &info) != 0 && path != "/") {
        const qsizetype slash = path.lastIndexOf('/');
        path = slash <= 0 ? QByteArray("/") : path.left(slash);
    }
    return info.st_dev;
}

// The home trash, with every missing folder of the data home made first:
// a fresh account may have none of them yet.
QByteArray homeTrash(const QByteArray& data)
{
    QByteArray path;
    for (const QByteArray& part : data.split('/')) {
        if (part.isEmpty())
            continue;
        path += '/' + part;
        if (!makeFolder(path))
            return QByteArray();
    }
    path += "/Trash";
    return makeTrashFolder(path) ? path : QByteArray();
}

// The folder where the file system holding `folder` is mounted.
QByteArray topFolder(QByteArray folder, dev_t device)
{
    while (folder.size() > 1) {
        const qsizetype slash = folder.lastIndexOf('/');
        const QByteArray parent = slash <= 0 ? QByteArray("/") : folder.left(slash);
        if (!onDevice(parent, device))
            break;
        folder = parent;
    }
    return folder;
}

// A trash folder of this user's own at the top of a file system: made when
// missing, and used only when it is a real folder that this user owns.
bool ownTrash(const QByteArray& path)
{
    struct stat info;
    return makeFolder(path) && ::lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && makeTrashFolder(path);
}

// The trash at the top of another file system than the home folder's.
QByteArray topTrash(const QByteArray& top)
{
    const QByteArray base = top == "/" ? QByteArray() : top;
    const QByteArray uid = QByteArray::number(qulonglong(::getuid()));
    // An administrator's shared .Trash counts only when it is a real
    // folder with the sticky bit: anything else may be someone's trap.
    struct stat shared;
    if (::lstat((base + "/.Trash").constData(), &shared) == 0 && S_ISDIR(shared.st_mode) &&
        (shared.st_mode & S_ISVTX) && ownTrash(base + "/.Trash/" + uid))
        return base + "/.Trash/" + uid;
    if (ownTrash(base + "/.Trash-" + uid))
        return base + "/.Trash-" + uid;
    return QByteArray();
}

// Writes the information file of a new trash entry, named after `name`
// with a number added while that name is taken. Returns the name used,
// empty on failure.
QByteArray writeInfo(const TrashFolder& trash, const QByteArray& name, const QByteArray& original,
                     int& attempt)
{
    QByteArray place = original;
    if (!trash.relativeTo.isEmpty() && trash.relativeTo != "/")
        place = original.mid(trash.relativeTo.size() + 1);
    else if (!trash.relativeTo.isEmpty())
        place = original.mid(1);
    const QByteArray text =
        "[Trash Info]\nPath=" + place.toPercentEncoding("/") + "\nDeletionDate=" +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1() +
        "\n";
    for (; attempt < 10000; ++attempt) {
        const QByteArray candidate =
            attempt == 0 ? name : name + '.' + QByteArray::number(attempt + 1);
        const QByteArray infoPath = trash.path + "/info/" + candidate + ".trashinfo";
        // Made new, so two programs trashing the same name never share it.
        const int fd = ::open(infoPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return QByteArray();
        }
        const ssize_t put = ::write(fd, text.constData(), size_t(text.size()));
        int code = put < 0 ? errno : ENOSPC;
        const bool closed = ::close(fd) == 0;
        if (put == text.size() && closed)
            return candidate;
        if (put == text.size())
            code = errno;
        ::unlink(infoPath.constData());
        errno = code;
        return QByteArray();
    }
    return QByteArray();
}

} // namespace

TrashResult moveToTrash(const QString& path, QString* error)
{
    const QFileInfo entryInfo(path);
    const QByteArray entry = QFile::encodeName(QDir::cleanPath(entryInfo.absoluteFilePath()));
    const QByteArray folder = QFile::encodeName(entryInfo.absolutePath());
    struct stat info;
    struct stat folderInfo;
    if (::lstat(entry.constData(), &info) != 0 || ::stat(folder.constData(), &folderInfo) != 0) {
        failWithErrno(error, path);
        return TrashResult::Failed;
    }

    // Without a home nothing tells which trash is the user's.
    const QByteArray data = dataHome();
    const QString noTrash = QStringLiteral("aucune corbeille sur son système de fichiers");
    if (data.isEmpty()) {
        failWith(error, path, noTrash);
        return TrashResult::NoTrash;
    }
    TrashFolder trash;
    if (folderInfo.st_dev == homeDevice(data)) {
        trash.path = homeTrash(data);
    } else {
        trash.relativeTo = topFolder(folder, folderInfo.st_dev);
        trash.path = topTrash(trash.relativeTo);
    }
    // A trash elsewhere would need a copy, and a move to the trash that
    // copies is not what anyone expects.
    if (trash.path.isEmpty() || !onDevice(trash.path, folderInfo.st_dev)) {
        failWith(error, path, noTrash);
        return TrashResult::NoTrash;
    }

    // Room for a number and ".trashinfo" within a name's 255 bytes; the
    // cut never splits a UTF-8 character.
    QByteArray name = entry.mid(entry.lastIndexOf('/') + 1);
    if (name.size() > 200) {
        qsizetype cut = 200;
        while (cut > 0 && (uchar(name[cut]) & 0xC0) == 0x80)
            --cut;
        name.truncate(cut);
    }
    for (int attempt = 0;; ++attempt) {
        const QByteArray used = writeInfo(trash, name, entry, attempt);
        if (used.isEmpty()) {
            failWithErrno(error, QFile::decodeName(trash.path + "/info"));
            return TrashResult::Failed;
        }
        const QByteArray infoPath = trash.path + "/info/" + used + ".trashinfo";
        if (moveEntry(QFile::decodeName(entry), QFile::decodeName(trash.path + "/files/" + used),
                      error))
            return TrashResult::Moved;
        const int code = errno;
        ::unlink(infoPath.constData());
        // A leftover in files/ without its information: take the next name.
        if (code != EEXIST)
            return TrashResult::Failed;
    }
}

} // namespace platform
