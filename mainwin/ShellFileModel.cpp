#include "mainwin/ShellFileModel.h"

#include "mainwin/BrowserMessages.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QWidget>

namespace mainwin {

QVariant ShellFileModel::data(const QModelIndex& index, int role) const
{
    // The model would follow the desktop's language.
    if (role == Qt::DisplayRole && index.isValid()) {
        const QLocale french(QLocale::French, QLocale::France);
        if (index.column() == 1 && !isDir(index))
            return french.formattedDataSize(size(index));
        if (index.column() == 3)
            return french.toString(lastModified(index), QLocale::ShortFormat);
    }
    return QFileSystemModel::data(index, role);
}

bool ShellFileModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || index.column() != 0)
        return QFileSystemModel::setData(index, value, role);
    const QString oldName = index.data(Qt::EditRole).toString();
    const QString newName = value.toString();
    if (newName == oldName)
        return true;
    auto* owner = qobject_cast<QWidget*>(QObject::parent());
    if (newName.isEmpty() || newName == QLatin1String(".") || newName == QLatin1String("..") ||
        newName.contains(QLatin1Char('/')) || newName.contains(QChar(0))) {
        showBrowserError(owner,
                         QStringLiteral("Le nom %1 n'est pas valide.").arg(quotedName(newName)),
                         platform::MsgIcon::Error);
        return false;
    }
    const QDir folder = QFileInfo(filePath(index)).absoluteDir();
    if (QFileInfo::exists(folder.filePath(newName)) ||
        QFileInfo(folder.filePath(newName)).isSymLink()) {
        showBrowserError(owner,
                         QStringLiteral("Un élément nommé %1 existe déjà dans ce dossier.")
                             .arg(quotedName(newName)),
                         platform::MsgIcon::Error);
        return false;
    }
    if (!QFileSystemModel::setData(index, value, role)) {
        showBrowserError(owner,
                         QStringLiteral("Impossible de renommer %1 en %2.")
                             .arg(quotedName(oldName), quotedName(newName)),
                         platform::MsgIcon::Error);
        return false;
    }
    return true;
}

} // namespace mainwin
