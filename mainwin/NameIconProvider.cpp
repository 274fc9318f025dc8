#include "mainwin/NameIconProvider.h"

#include "mainwin/LazyIcon.h"

#include <QFileInfo>

#include <array>

namespace mainwin {

QMimeType NameIconProvider::mimeType(const QFileInfo& info) const
{
    return m_mimeTypes.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
}

QIcon NameIconProvider::icon(IconType type) const
{
    static const std::array<QIcon, File + 1> icons = [] {
        std::array<QIcon, File + 1> made;
        for (int i = 0; i <= File; ++i)
            made[i] = lazyIcon([i] { return QFileIconProvider().icon(IconType(i)); });
        return made;
    }();
    return icons.at(type);
}

QIcon NameIconProvider::icon(const QFileInfo& info) const
{
    if (info.isRoot())
        return icon(Drive);
    if (info.isDir())
        return icon(Folder);
    if (m_foldersOnly)
        return icon(File);
    const QMimeType type = mimeType(info);
    QMutexLocker locked(&m_lock);
    auto known = m_icons.constFind(type.name());
    if (known != m_icons.constEnd())
        return *known;
    QIcon shown = QIcon::fromTheme(type.iconName());
    if (shown.isNull())
        shown = QIcon::fromTheme(type.genericIconName());
    if (shown.isNull())
        shown = icon(File);
    m_icons.insert(type.name(), shown);
    return shown;
}

QString NameIconProvider::type(const QFileInfo& info) const
{
    if (info.isDir())
        return QFileIconProvider::type(info);
    if (m_foldersOnly)
        return QString();
    const QMimeType type = mimeType(info);
    return type.comment().isEmpty() ? type.name() : type.comment();
}

} // namespace mainwin
