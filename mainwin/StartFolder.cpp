#include "mainwin/StartFolder.h"

#include "platform/KnownFolders.h"
#include "platform/ProgramPath.h"

#include <QDir>
#include <QFileInfo>

namespace mainwin {

namespace {
bool canList(const QString& folder)
{
    if (!QDir::isAbsolutePath(folder))
        return false;
    const QFileInfo info(folder);
    return info.isDir() && info.isReadable() && info.isExecutable();
}

bool sameFolder(const QString& a, const QString& b)
{
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
}

// The user's folder where the window starts from it.
QString withinHome(const QString& home)
{
    const QString queue = QDir(home).filePath(QStringLiteral("PostScript"));
    return canList(queue) ? queue : home;
}
} // namespace

StartPlaces startPlaces()
{
    StartPlaces places;
    places.programFolder = platform::programFolder();
    places.installedCopy = platform::isInstalledCopy(places.programFolder);
    places.currentFolder = QDir::currentPath();
    places.homeFolder = QDir::homePath();
    return places;
}

QString startFolder(const StartPlaces& places)
{
    if (!places.installedCopy)
        return places.programFolder;
    const QString& current = places.currentFolder;
    if (canList(current) && !sameFolder(current, places.programFolder))
        return sameFolder(current, places.homeFolder) ? withinHome(current) : current;
    if (canList(places.homeFolder))
        return withinHome(places.homeFolder);
    return QStringLiteral("/");
}

QString relativeNamesFolder(const StartPlaces& places)
{
    if (!places.installedCopy)
        return places.programFolder;
    if (canList(places.currentFolder) && !sameFolder(places.currentFolder, places.programFolder))
        return platform::withTrailingSlash(places.currentFolder);
    return platform::withTrailingSlash(places.homeFolder);
}

} // namespace mainwin
