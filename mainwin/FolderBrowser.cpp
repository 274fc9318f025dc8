#include "mainwin/FolderBrowser.h"

#include "platform/KnownFolders.h"

#include <QFileInfo>

namespace mainwin {

std::optional<TakenFile> chooseFromList(FolderBrowser& browser)
{
    if (browser.selectedCount() == 0)
        return std::nullopt;
    const std::optional<BrowserEntry> entry = browser.firstSelected();
    if (!entry)
        return std::nullopt;
    if (entry->isFolder) {
        browser.defaultAction();
        return std::nullopt;
    }
    QString folder = browser.selectedFolder();
    if (folder.isEmpty())
        folder = QFileInfo(entry->path).absolutePath();
    folder = platform::withTrailingSlash(folder);
    return TakenFile{folder, folder + entry->fileName};
}

} // namespace mainwin
