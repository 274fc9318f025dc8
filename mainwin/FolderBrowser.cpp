#include "FolderBrowser.h"

#include "SourceSelection.h"

#include <QFileInfo>

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
    folder = source::withTrailingSlash(folder);
    return TakenFile{folder, folder + entry->fileName};
}
