#pragma once
// The folder browser over the real file system: the folder tree
// `JamShellTree1` and the file list `JamShellList1`, coupled both ways.
// The list has its own context menu and keys for open, rename (F2),
// delete to the trash, copy, cut and paste.

#include "mainwin/FolderBrowser.h"

#include <QFileSystemModel>
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

private:
    void showInList(const QString& folder);
    void showTreeMenu(const QPoint& pos);

    QFileSystemModel* m_treeModel;
    ShellFileModel* m_listModel;
    QTreeView* m_tree;
    ShellListView* m_list;
    QString m_mask;
    // The tree loads folders in the background: a folder selected by path
    // is scrolled into view again as its parents arrive.
    QString m_scrollPending;
    QTimer* m_scrollDeadline;
};

} // namespace mainwin
