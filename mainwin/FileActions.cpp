#include "FileActions.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace fileactions {

namespace {
const char* const CutMarkerFormat = "x-special/gnome-copied-files";

bool copyRecursively(const QString& from, const QString& to)
{
    const QFileInfo info(from);
    if (info.isDir() && !info.isSymLink()) {
        if (!QDir().mkdir(to))
            return false;
        const QDir source(from);
        const auto entries = source.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                  QDir::Hidden | QDir::System);
        for (const QFileInfo& entry : entries) {
            if (!copyRecursively(entry.filePath(), to + QLatin1Char('/') + entry.fileName()))
                return false;
        }
        return true;
    }
    if (info.isSymLink())
        return QFile::link(info.symLinkTarget(), to);
    return QFile::copy(from, to);
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
        if (clip.cut && QFile::rename(path, target)) {
            ok = true;
        } else if (!copyRecursively(path, target)) {
            // Leave no half copy behind; the source is still whole.
            if (QFileInfo(target).isDir() && !QFileInfo(target).isSymLink())
                QDir(target).removeRecursively();
            else
                QFile::remove(target);
            ok = false;
        } else if (clip.cut) {
            // Another file system: the copy is whole, now drop the source.
            // Should that fail, both stay: nothing is lost.
            ok = info.isDir() && !info.isSymLink() ? QDir(path).removeRecursively()
                                                   : QFile::remove(path);
        } else {
            ok = true;
        }
        if (!ok)
            failed.append(path);
    }
    return failed;
}

QStringList moveToTrash(const QStringList& paths)
{
    QStringList failed;
    for (const QString& path : paths) {
        if (!QFile::moveToTrash(path))
            failed.append(path);
    }
    return failed;
}

} // namespace fileactions
