#include "mainwin/FileActions.h"

#include "platform/FileCopy.h"
#include "platform/Trash.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace mainwin {

namespace {
const char* const CutMarkerFormat = "x-special/gnome-copied-files";

using FolderPairs = QList<QPair<QString, QString>>;

// Copies an entry to the free name `to` as it is: a link as a link with the
// same text, a file with its mode and times. Folders are listed in
// `folders`, deepest first, to get their own mode and times once all is in
// place. On failure nothing of this entry's copy is left.
bool copyEntry(const QString& from, const QString& to, FolderPairs& folders)
{
    const QFileInfo info(from);
    if (info.isSymLink())
        return platform::copySymbolicLink(from, to);
    if (!info.isDir()) {
        platform::CopyOptions asItIs;
        asItIs.replace = false;
        asItIs.keepAttributes = true;
        return platform::copyFileBytes(from, to, asItIs);
    }
    if (!QDir().mkdir(to))
        return false;
    const QDir source(from);
    const auto entries =
        source.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QFileInfo& entry : entries) {
        if (!copyEntry(entry.filePath(), to + QLatin1Char('/') + entry.fileName(), folders)) {
            QDir(to).removeRecursively();
            return false;
        }
    }
    folders.append({from, to});
    return true;
}

bool copyWhole(const QString& from, const QString& to)
{
    FolderPairs folders;
    if (!copyEntry(from, to, folders))
        return false;
    // A folder's mode may forbid adding to it, and every entry added
    // changes its time: both are set last.
    for (const auto& [source, copy] : folders)
        platform::copyFolderAttributes(source, copy);
    return true;
}

// Where links lead, not how the path spells it: a folder reached through
// a link into the copied folder would make the copy feed on itself.
QString resolvedPath(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return QDir::cleanPath(canonical.isEmpty() ? info.absoluteFilePath() : canonical);
}

bool isSameOrBelow(const QString& path, const QString& folder)
{
    const QString a = resolvedPath(path);
    const QString b = resolvedPath(folder);
    return b == a || b.startsWith(a + QLatin1Char('/'));
}
} // namespace

QMimeData* makeClipData(const Clip& clip)
{
    auto* data = new QMimeData;
    QList<QUrl> urls;
    QByteArray marker = clip.cut ? "cut" : "copy";
    for (const QString& path : clip.paths) {
        const QUrl url = QUrl::fromLocalFile(path);
        urls.append(url);
        marker += '\n' + url.toEncoded();
    }
    data->setUrls(urls);
    data->setData(QString::fromLatin1(CutMarkerFormat), marker);
    return data;
}

Clip readClipData(const QMimeData* data)
{
    Clip clip;
    if (!data)
        return clip;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            clip.paths.append(url.toLocalFile());
    }
    const QByteArray marker = data->data(QString::fromLatin1(CutMarkerFormat));
    clip.cut = marker.startsWith("cut\n") || marker == "cut";
    return clip;
}

QString freeName(const QString& folder, const QString& fileName)
{
    const QDir dir(folder);
    if (!QFileInfo::exists(dir.filePath(fileName)))
        return fileName;
    // A leading dot belongs to the stem: ".profile" has no extension.
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const bool hasExtension = dot > 0;
    const QString stem = hasExtension ? fileName.left(dot) : fileName;
    const QString extension = hasExtension ? fileName.mid(dot) : QString();
    for (int n = 1;; ++n) {
        const QString suffix =
            n == 1 ? QStringLiteral(" (copie)") : QStringLiteral(" (copie %1)").arg(n);
        const QString candidate = stem + suffix + extension;
        if (!QFileInfo::exists(dir.filePath(candidate)))
            return candidate;
    }
}

QStringList paste(const Clip& clip, const QString& folder)
{
    QStringList failed;
    for (const QString& path : clip.paths) {
        const QFileInfo info(path);
        if (!info.exists() && !info.isSymLink()) {
            failed.append(path);
            continue;
        }
        // A link is pasted as a link, so only a real folder can feed on itself.
        if (info.isDir() && !info.isSymLink() && isSameOrBelow(path, folder)) {
            failed.append(path);
            continue;
        }
        // Cutting and pasting into the same folder leaves the entry alone.
        if (clip.cut && QDir(info.absolutePath()) == QDir(folder))
            continue;
        const QString target = QDir(folder).filePath(freeName(folder, info.fileName()));
        bool ok;
        if (clip.cut && platform::moveEntry(path, target)) {
            ok = true;
        } else if (!copyWhole(path, target)) {
            // The copy cleaned up after itself; the source is still whole.
            ok = false;
        } else if (clip.cut) {
            // Another file system: the copy is whole and on its disk, now
            // drop the source. Should either fail, both stay: nothing is lost.
            ok = platform::flushFileSystem(folder) &&
                 (info.isDir() && !info.isSymLink() ? QDir(path).removeRecursively()
                                                    : QFile::remove(path));
        } else {
            ok = true;
        }
        if (!ok)
            failed.append(path);
    }
    return failed;
}

TrashOutcome moveToTrash(const QStringList& paths)
{
    TrashOutcome outcome;
    for (const QString& path : paths) {
        switch (platform::moveToTrash(path)) {
        case platform::TrashResult::Moved:
            break;
        case platform::TrashResult::NoTrash:
            outcome.noTrash.append(path);
            break;
        case platform::TrashResult::Failed:
            outcome.failed.append(path);
            break;
        }
    }
    return outcome;
}

} // namespace mainwin
