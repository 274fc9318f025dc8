#pragma once

#include <QTreeView>
#include <functional>

namespace mainwin {

// The file list `JamShellList1`: a flat view of one folder, with its own
// context menu and keys for open, rename (F2), delete to the trash, copy,
// cut and paste.
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

} // namespace mainwin
