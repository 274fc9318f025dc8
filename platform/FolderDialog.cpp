#include "platform/FolderDialog.h"

#include <QFileDialog>

namespace platform {

QString browseForFolder(QWidget* owner, const QString& title)
{
    return QFileDialog::getExistingDirectory(owner, title, QString(), QFileDialog::ShowDirsOnly);
}

} // namespace platform
