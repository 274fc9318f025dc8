#include "platform/ProgramPath.h"

#include <QFileInfo>

namespace platform {

QString programFolder()
{
    // The link names the executable even when it was started by a relative
    // name from another directory.
    QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    if (exe.isEmpty())
        return QStringLiteral("/");
    QString folder = QFileInfo(exe).absolutePath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

bool isInstalledCopy(const QString& programFolder)
{
    // Its content does not matter: a text for whoever finds it.
    return !programFolder.isEmpty() &&
           QFileInfo(programFolder + QLatin1String(InstalledMarkerName)).isFile();
}

} // namespace platform
