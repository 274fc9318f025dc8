#pragma once
// The folder browser over the real file system: the folder tree
// `JamShellTree1` and the file list `JamShellList1`, coupled both ways.
// The list has its own context menu and keys for open, rename (F2),
// delete to the trash, copy, cut and paste.

#include "mainwin/FolderBrowser.h"

#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QHash>
#include <QMimeDatabase>
#include <QMutex>
#include <QObject>
#include <QTreeView>
#include <functional>

class QTimer;
class QWidget;

namespace mainwin {

// The file model of the list; renaming reports its failures in our boxes,
// and sizes and dates read as French, as the rest of the window does.
class ShellFileModel : public QFileSystemModel
{
    Q_OBJECT
public:
    using QFileSystemModel::QFileSystemModel;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
};

// Icons and type names from the entries' names alone. Qt's own provider
// opens every file whose name leaves its type open to read its first bytes,
// in every folder the models list, the tree's parents included: a folder of
// thousands of files then costs thousands of reads before the list settles.
// Called on the models' own thread as well as on the window's.
class NameIconProvider : public QFileIconProvider
{
public:
    // For a model that shows folders only: a file gets the plain file icon
    // and no type, without a look at its name either.
    explicit NameIconProvider(bool foldersOnly) : m_foldersOnly(foldersOnly) {}

    QIcon icon(IconType type) const override { return QFileIconProvider::icon(type); }
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;

private:
    QMimeType mimeType(const QFileInfo& info) const;

    const bool m_foldersOnly;
    QMimeDatabase m_mimeTypes;
    mutable QMutex m_lock;
    mutable QHash<QString, QIcon> m_icons; // by MIME type
};

class ShellListView : public QTreeView
{
    Q_OBJECT
public:
    explicit ShellListView(QWidget* parent = nullptr);

    bool isEditing() const { return state() == QAbstractItemView::EditingState; }

    // Called with every character key before the list handles it; returning
    // true consumes the key.
    void setCharacterKeyHandler(std::function<bool(QChar)> handler);

    void openSelection();
    void renameCurrent();
    void trashSelection();
    void copySelection(bool cut);
    void pasteHere();
    // Pastes the files of the clipboard into `folder`, reporting failures.
    void pasteInto(const QString& folder);

signals:
    // The list's own "open" asks for a folder to be shown.
    void openFolderRequested(const QString& path);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QStringList selectedPaths() const;
    QString currentFolder() const;

    std::function<bool(QChar)> m_characterKeyHandler;
};

class FileSystemBrowser : public QObject, public FolderBrowser
{
    Q_OBJECT
public:
    // Creates the tree and the list as children of `parent`; the caller
    // places them.
    explicit FileSystemBrowser(QWidget* parent);

    QTreeView* tree() const { return m_tree; }
    ShellListView* list() const { return m_list; }
    QFileSystemModel* listModel() const { return m_listModel; }
    // The folder the list shows.
    QString listFolder() const;

    QString selectedFolder() const override;
    bool selectFolder(const QString& path) override;
    void setMask(const QString& mask) override;
    QString mask() const override { return m_mask; }
    int selectedCount() const override;
    std::optional<BrowserEntry> firstSelected() const override;
    bool isEditing() const override { return m_list->isEditing(); }
    void defaultAction() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showInList(const QString& folder);
    void showTreeMenu(const QPoint& pos);
    // Lists what waited for the browser's first paint.
    void firstShown();

    QFileSystemModel* m_treeModel;
    ShellFileModel* m_listModel;
    QTreeView* m_tree;
    ShellListView* m_list;
    QString m_mask;
    // The tree loads folders in the background: a folder selected by path
    // is scrolled into view again as its parents arrive.
    QString m_scrollPending;
    QTimer* m_scrollDeadline;
    // Until the list has been painted once, no folder is listed: the window
    // shows first, whatever the folder holds, and the list fills in after.
    bool m_shown = false;
    QString m_listPending;
};

} // namespace mainwin
