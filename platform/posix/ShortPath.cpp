#include "platform/ShortPath.h"

#include <QFile>

#include <sys/stat.h>

namespace platform {

QString shortPathName(const QString& path)
{
    if (path.isEmpty())
        return QString();
    // stat() rather than QFileInfo: no caching, and a dangling link is "missing".
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return QString();
    return path;
}

} // namespace platform
