#include "setupkit/InstallVocabulary.h"

#include "platform/FileCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace setupkit {

namespace {

QString canonicalFolder(const QString& folder)
{
    return QFileInfo(folder).canonicalFilePath();
}

// Both real places, as canonicalFolder() gives them.
bool isSameOrBelow(const QString& real, const QString& base)
{
    return real == base ||
           real.startsWith(base.endsWith(QLatin1Char('/')) ? base : base + QLatin1Char('/'));
}

} // namespace

bool isLogCopy(const QByteArray& fileName)
{
    return logPath(fileName) == QLatin1String("Install.log");
}

QString uninstallKeyPath(const InstallLog& log)
{
    return QString::fromLatin1(UninstallKeyBase) + fromWindows1252(log.FolderName);
}

QString uninstallEntryName()
{
    return QStringLiteral("Uninstall");
}

FolderGuard::FolderGuard(const QString& folder) : m_base(canonicalFolder(folder)) {}

bool FolderGuard::contains(const QString& path)
{
    if (m_base.isEmpty() || !QDir::isAbsolutePath(path))
        return false;
    const QFileInfo info(QDir::cleanPath(path));
    const QString name = info.fileName();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    const QString parentPath = info.path();
    const auto known = m_parents.constFind(parentPath);
    if (known != m_parents.constEnd())
        return *known;
    // The parent's real place decides: a linked subfolder may lead anywhere.
    const QString parent = canonicalFolder(parentPath);
    const bool inside = !parent.isEmpty() && isSameOrBelow(parent, m_base);
    m_parents.insert(parentPath, inside);
    return inside;
}

void FolderGuard::deleteFile(const QString& path)
{
    if (contains(path))
        QFile::remove(path);
}

void removeStaleCopies(const QString& destination, const QString& folder, SetupProgress& progress)
{
    for (const QString& left : platform::removeCopyLeftovers(destination, folder))
        progress.reportFailure(SetupFailure::TemporaryLeft,
                               QStringLiteral("Le fichier temporaire ") + left +
                                   QStringLiteral(" ne peut pas être supprimé!"));
}

bool isInsideFolder(const QString& path, const QString& folder)
{
    return FolderGuard(folder).contains(path);
}

bool isFolderOrBelow(const QString& folder, const QString& base)
{
    if (folder.isEmpty())
        return false;
    const QString real = canonicalFolder(folder);
    const QString realBase = canonicalFolder(base);
    return !real.isEmpty() && !realBase.isEmpty() && isSameOrBelow(real, realBase);
}

} // namespace setupkit
