#include "SourceSelection.h"

namespace source {

QString outputNameFor(const QString& fileName)
{
    QString name = fileName;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    if (dot >= 0 && dot > slash)
        name.truncate(dot);
    return name + QStringLiteral(".PDF");
}

QString withTrailingSlash(const QString& folder)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QLatin1Char('/');
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

QString fileFilterDescription()
{
    return QStringLiteral("Fichiers PostScript|*.ps;*.prn|Tous les fichiers (*.*)|*.*");
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

} // namespace source
