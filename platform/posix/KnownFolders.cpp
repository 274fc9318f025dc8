#include "platform/KnownFolders.h"

#include "platform/Registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace platform {

namespace {

// An XDG base folder: the variable when it holds an absolute path (the
// base-directory rules say to ignore a relative one), else its default below HOME.
QString xdgHome(const char* variable, const QString& belowHome)
{
    const QString xdg = QFile::decodeName(qgetenv(variable));
    if (xdg.startsWith(QLatin1Char('/')))
        return xdg;
    const QString home = QFile::decodeName(qgetenv("HOME"));
    return home.isEmpty() ? QString() : home + belowHome;
}

QString dataHome()
{
    return xdgHome("XDG_DATA_HOME", QStringLiteral("/.local/share"));
}

} // namespace

QString systemRoot()
{
    QString root = QFile::decodeName(qgetenv("SETWELL_SYSTEM_ROOT"));
    while (root.endsWith(QLatin1Char('/')))
        root.chop(1);
    return root;
}

QString withTrailingSlash(const QString& folder)
{
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QLatin1Char('/');
}

bool hasMachineWideRights()
{
    // The registry folder may not exist yet on a fresh system: then the
    // nearest existing folder above it decides whether it can be made.
    QString path = registryRoot(Hive::Machine);
    while (path.endsWith(QLatin1Char('/')) && path.size() > 1)
        path.chop(1);
    while (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) {
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            return false;
        path = parent;
    }
    return QFileInfo(path).isDir() &&
           ::access(QFile::encodeName(path).constData(), W_OK | X_OK) == 0;
}

QString programFilesFolder()
{
    const auto key = RegistryKey::open(
        Hive::Machine, QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion"),
        RegistryKey::Access::Read);
    if (key) {
        const auto value = key->readString(QStringLiteral("ProgramFilesDir"));
        if (value && !value->isEmpty())
            return withTrailingSlash(*value);
    }
    return systemRoot() + QStringLiteral("/opt/");
}

QString appDataFolder()
{
    return withTrailingSlash(dataHome());
}

QString configHomeFolder()
{
    return withTrailingSlash(xdgHome("XDG_CONFIG_HOME", QStringLiteral("/.config")));
}

QString programsMenuFolder()
{
    const QString data = dataHome();
    return data.isEmpty() ? QString() : data + QStringLiteral("/applications/");
}

QString windowsFolder()
{
    return systemRoot() + QStringLiteral("/usr/local/lib/setwell/");
}

} // namespace platform
