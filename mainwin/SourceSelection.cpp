#include "mainwin/SourceSelection.h"

#include <QDir>
#include <QFileInfo>

namespace mainwin {

QString outputNameFor(const QString& fileName)
{
    QString name = fileName;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    if (dot >= 0 && dot > slash)
        name.truncate(dot);
    return name + QStringLiteral(".PDF");
}

void moveToTop(QByteArrayList& folders, const QByteArray& folder)
{
    // The last equal entry goes, so of two hand-made duplicates the upper
    // one stays.
    const qsizetype last = folders.lastIndexOf(folder);
    if (last >= 0)
        folders.removeAt(last);
    folders.prepend(folder);
}

NamedFiles namedFiles(const QStringList& names, const QString& workingFolder)
{
    NamedFiles result;
    const QDir base(workingFolder);
    for (const QString& name : names) {
        QString path = name;
        if (name.startsWith(QLatin1String("file:")))
            path = QUrl(name).toLocalFile();
        // A conversion runs in the program's folder: a relative source
        // would be looked for there.
        if (!path.isEmpty())
            path = QDir::cleanPath(base.absoluteFilePath(path));
        if (!path.isEmpty() && QFileInfo(path).isFile())
            result.files.append(path);
        else
            result.missing.append(path.isEmpty() ? name : path);
    }
    return result;
}

QStringList droppedFiles(const QList<QUrl>& urls)
{
    QStringList files;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        if (QFileInfo(path).isFile())
            files.append(path);
    }
    return files;
}

QString fileFilterDescription()
{
    return QStringLiteral("Fichiers PostScript|*.ps;*.prn;*.eps|Tous les fichiers (*.*)|*.*");
}

QList<FilterEntry> filterEntries()
{
    const QStringList parts = fileFilterDescription().split(QLatin1Char('|'));
    QList<FilterEntry> entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        entries.append({parts.at(i), parts.at(i + 1)});
    return entries;
}

QStringList splitMask(const QString& mask)
{
    QStringList patterns;
    for (const QString& part : mask.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString pattern = part.trimmed();
        // "*.*" means every file, names without a dot included.
        if (pattern == QLatin1String("*.*"))
            patterns.append(QStringLiteral("*"));
        else if (!pattern.isEmpty())
            patterns.append(pattern);
    }
    return patterns;
}

} // namespace mainwin
