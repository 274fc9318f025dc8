#pragma once
// What the window needs of its folder browser (a folder tree beside a file
// list): a small set of operations, whatever shows the folders.

#include <QString>
#include <optional>

namespace mainwin {

struct BrowserEntry
{
    QString fileName; // the name within its folder, extension included
    QString path;     // the full path
    bool isFolder = false;
};

class FolderBrowser
{
public:
    virtual ~FolderBrowser() = default;

    // The folder selected in the tree, without a guaranteed trailing '/';
    // empty when nothing is selected.
    virtual QString selectedFolder() const = 0;
    // Selects the folder in the tree and moves the list to it. A folder that
    // is not there gets the box "Unable to find path: " and the selection
    // stays; an empty path selects the root of the file system.
    virtual bool selectFolder(const QString& path) = 0;
    // Replaces the list's ';'-separated wildcard mask and shows it again.
    virtual void setMask(const QString& mask) = 0;
    virtual QString mask() const = 0;

    virtual int selectedCount() const = 0;
    // The first selected entry in list order.
    virtual std::optional<BrowserEntry> firstSelected() const = 0;
    // True while an entry's name is being edited in place.
    virtual bool isEditing() const = 0;
    // Opens the selected folder in the list and lets the tree follow.
    virtual void defaultAction() = 0;
};

// A file taken from the list: the folder it was taken from (ending in '/')
// and its full path.
struct TakenFile
{
    QString folder;
    QString path;
};

// Double-click or Enter in the file list. Nothing selected: nothing. The
// first selected entry a folder: the browser opens it. A file: returned,
// with the tree's folder (the entry's own folder should the tree have
// none).
std::optional<TakenFile> chooseFromList(FolderBrowser& browser);

} // namespace mainwin
