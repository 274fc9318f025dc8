#pragma once
// The folder browser over the real file system: the folder tree
// `JamShellTree1` and the file list `JamShellList1`, coupled both ways.

#include "mainwin/FolderBrowser.h"
#include "mainwin/ShellFileModel.h"
#include "mainwin/ShellListView.h"

#include <QObject>
#include <QString>

class QTimer;
class QWidget;

namespace mainwin {

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
