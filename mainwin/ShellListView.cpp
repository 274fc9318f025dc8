#include "mainwin/ShellListView.h"

#include "mainwin/BrowserMessages.h"
#include "mainwin/FileActions.h"
#include "platform/ShellOpen.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

#include <algorithm>

namespace mainwin {

ShellListView::ShellListView(QWidget* parent) : QTreeView(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setSortingEnabled(true);
}

void ShellListView::setCharacterKeyHandler(std::function<bool(QChar)> handler)
{
    m_characterKeyHandler = std::move(handler);
}

QStringList ShellListView::selectedPaths() const
{
    auto* fsModel = qobject_cast<QFileSystemModel*>(model());
    if (!fsModel || !selectionModel())
        return {};
    QModelIndexList rows = selectionModel()->selectedRows(0);
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList paths;
    for (const QModelIndex& row : rows)
        paths.append(fsModel->filePath(row));
    return paths;
}

QString ShellListView::currentFolder() const
{
    auto* fsModel = qobject_cast<QFileSystemModel*>(model());
    return fsModel ? fsModel->filePath(rootIndex()) : QString();
}

void ShellListView::openSelection()
{
    const QStringList paths = selectedPaths();
    if (paths.isEmpty())
        return;
    if (QFileInfo(paths.first()).isDir()) {
        emit openFolderRequested(paths.first());
        return;
    }
    for (const QString& path : paths) {
        if (!QFileInfo(path).isDir())
            platform::shellOpen(path);
    }
}

void ShellListView::renameCurrent()
{
    const QModelIndex index = currentIndex();
    if (index.isValid())
        edit(index.siblingAtColumn(0));
}

void ShellListView::trashSelection()
{
    const QStringList paths = selectedPaths();
    if (paths.isEmpty())
        return;
    platform::MessageRequest question;
    question.owner = this;
    question.caption = QStringLiteral("Confirmer la suppression");
    question.icon = platform::MsgIcon::Question;
    question.buttons = platform::MsgButtons::YesNo;
    question.text = paths.size() == 1
                        ? QStringLiteral("Voulez-vous vraiment placer %1 dans la corbeille ?")
                              .arg(quotedName(QFileInfo(paths.first()).fileName()))
                        : QStringLiteral("Voulez-vous vraiment placer ces %1 éléments dans la "
                                         "corbeille ?")
                              .arg(paths.size());
    if (platform::showMessage(question) != platform::MsgAnswer::Yes)
        return;
    const TrashOutcome outcome = moveToTrash(paths);
    if (!outcome.noTrash.isEmpty()) {
        showBrowserError(
            this,
            QStringLiteral("Aucune corbeille ne peut recevoir %1 : l'élément reste à sa "
                           "place.")
                .arg(quotedName(QFileInfo(outcome.noTrash.first()).fileName())),
            platform::MsgIcon::Warning);
    } else if (!outcome.failed.isEmpty()) {
        showBrowserError(this,
                         QStringLiteral("Impossible de placer %1 dans la corbeille.")
                             .arg(quotedName(QFileInfo(outcome.failed.first()).fileName())),
                         platform::MsgIcon::Warning);
    }
}

void ShellListView::copySelection(bool cut)
{
    const QStringList paths = selectedPaths();
    if (paths.isEmpty())
        return;
    QApplication::clipboard()->setMimeData(makeClipData({paths, cut}));
}

void ShellListView::pasteHere()
{
    pasteInto(currentFolder());
}

void ShellListView::pasteInto(const QString& folder)
{
    const Clip clip = readClipData(QApplication::clipboard()->mimeData());
    if (folder.isEmpty() || clip.paths.isEmpty())
        return;
    const QStringList failed = paste(clip, folder);
    // A cut is used up once pasted; pasting it again would find nothing.
    if (clip.cut)
        QApplication::clipboard()->clear();
    if (!failed.isEmpty()) {
        showBrowserError(this,
                         QStringLiteral("Impossible de coller %1.")
                             .arg(quotedName(QFileInfo(failed.first()).fileName())),
                         platform::MsgIcon::Warning);
    }
}

void ShellListView::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    if (!text.isEmpty() && m_characterKeyHandler && m_characterKeyHandler(text.at(0))) {
        event->accept();
        return;
    }
    if (event == QKeySequence::Copy) {
        copySelection(false);
    } else if (event == QKeySequence::Cut) {
        copySelection(true);
    } else if (event == QKeySequence::Paste) {
        pasteHere();
    } else if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        trashSelection();
    } else {
        QTreeView::keyPressEvent(event);
        return;
    }
    event->accept();
}

void ShellListView::contextMenuEvent(QContextMenuEvent* event)
{
    // Right-clicking an entry outside the selection makes it the selection.
    const QModelIndex under = indexAt(event->pos());
    if (under.isValid() && !selectionModel()->isRowSelected(under.row(), under.parent())) {
        selectionModel()->setCurrentIndex(under, QItemSelectionModel::ClearAndSelect |
                                                     QItemSelectionModel::Rows);
    }
    const int count = int(selectedPaths().size());
    const QMimeData* clipboard = QApplication::clipboard()->mimeData();

    QMenu menu(this);
    menu.addAction(QStringLiteral("Ouvrir"), this, &ShellListView::openSelection)
        ->setEnabled(count > 0);
    menu.addSeparator();
    menu.addAction(QStringLiteral("Couper"), this, [this] { copySelection(true); })
        ->setEnabled(count > 0);
    menu.addAction(QStringLiteral("Copier"), this, [this] { copySelection(false); })
        ->setEnabled(count > 0);
    menu.addAction(QStringLiteral("Coller"), this, &ShellListView::pasteHere)
        ->setEnabled(clipboard && clipboard->hasUrls());
    menu.addSeparator();
    menu.addAction(QStringLiteral("Supprimer"), this, &ShellListView::trashSelection)
        ->setEnabled(count > 0);
    menu.addAction(QStringLiteral("Renommer"), this, &ShellListView::renameCurrent)
        ->setEnabled(count == 1);
    menu.exec(event->globalPos());
}

} // namespace mainwin
