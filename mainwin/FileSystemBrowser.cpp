#include "mainwin/FileSystemBrowser.h"

#include "mainwin/BrowserMessages.h"
#include "mainwin/NameIconProvider.h"
#include "mainwin/ShellFileModel.h"
#include "mainwin/ShellListView.h"
#include "mainwin/SourceSelection.h"
#include "platform/ShellOpen.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace mainwin {

namespace {
// One for all trees and one for all lists, never destroyed: a model's
// thread may still ask for an icon while the model is being destroyed,
// whichever object owned it.
NameIconProvider* treeIcons()
{
    static auto* const provider = new NameIconProvider(true);
    return provider;
}

NameIconProvider* listIcons()
{
    static auto* const provider = new NameIconProvider(false);
    return provider;
}
} // namespace

FileSystemBrowser::FileSystemBrowser(QWidget* parent)
    : QObject(parent), m_treeModel(new QFileSystemModel(this)),
      m_listModel(new ShellFileModel(parent)), m_tree(new QTreeView(parent)),
      m_list(new ShellListView(parent)), m_scrollDeadline(new QTimer(this))
{
    // The model learns of new and removed entries from their folder, but of
    // a file that grows or is rewritten only when it watches the file too;
    // otherwise a file copied in keeps the size it had when it appeared.
    // Qt reads the switch once, when the first model looks at a file.
    if (!qEnvironmentVariableIsSet("QT_FILESYSTEMMODEL_WATCH_FILES"))
        qputenv("QT_FILESYSTEMMODEL_WATCH_FILES", "1");
    // Hidden folders stay reachable in the tree: the program's own folder
    // may lie below one.
    m_treeModel->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot | QDir::Hidden);
    m_treeModel->setReadOnly(true);
    m_treeModel->setIconProvider(treeIcons());
    m_listModel->setIconProvider(listIcons());
    m_treeModel->setRootPath(QStringLiteral("/"));
    m_tree->setObjectName(QStringLiteral("JamShellTree1"));
    m_tree->setModel(m_treeModel);
    for (int column = 1; column < m_treeModel->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->setHeaderHidden(true);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setDragDropMode(QAbstractItemView::NoDragDrop);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setSortingEnabled(true);
    m_tree->sortByColumn(0, Qt::AscendingOrder);

    m_listModel->setReadOnly(false);
    m_listModel->setFilter(QDir::AllDirs | QDir::Files | QDir::Drives | QDir::NoDotAndDotDot);
    // Entries outside the mask are hidden rather than greyed.
    m_listModel->setNameFilterDisables(false);
    m_list->setObjectName(QStringLiteral("JamShellList1"));
    m_list->setModel(m_listModel);
    m_list->sortByColumn(0, Qt::AscendingOrder);
    // The type column would only repeat the extension.
    m_list->hideColumn(2);
    m_list->header()->resizeSection(0, 190);
    m_list->header()->resizeSection(1, 70);
    setMask(filterEntries().value(0).mask);

    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    showInList(m_treeModel->filePath(current));
            });
    // Rows arrive and are sorted in the background; keep the chosen folder
    // in view while that settles.
    const auto followSelection = [this] {
        if (m_scrollPending.isEmpty())
            return;
        const QModelIndex current = m_tree->currentIndex();
        if (current.isValid())
            m_tree->scrollTo(current, QAbstractItemView::PositionAtCenter);
    };
    connect(m_treeModel, &QFileSystemModel::directoryLoaded, this, followSelection);
    connect(m_treeModel, &QAbstractItemModel::layoutChanged, this,
            [this, followSelection] { QTimer::singleShot(0, this, followSelection); });
    // Folders that load later than this were opened by the user: leave the
    // view where the user put it.
    m_scrollDeadline->setSingleShot(true);
    m_scrollDeadline->setInterval(3000);
    connect(m_scrollDeadline, &QTimer::timeout, this, [this] { m_scrollPending.clear(); });
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_tree, &QWidget::customContextMenuRequested, this, &FileSystemBrowser::showTreeMenu);
    connect(m_list, &ShellListView::openFolderRequested, this,
            [this](const QString& path) { selectFolder(path); });
    m_list->viewport()->installEventFilter(this);
}

bool FileSystemBrowser::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint) {
        watched->removeEventFilter(this);
        // After this paint has reached the screen.
        QTimer::singleShot(0, this, [this] { firstShown(); });
    }
    return QObject::eventFilter(watched, event);
}

void FileSystemBrowser::firstShown()
{
    // Folders chosen until now only took the place of the one waiting.
    m_shown = true;
    if (!m_listPending.isEmpty())
        showInList(std::exchange(m_listPending, QString()));
    // Unfolding the tree down to its folder lists the folders above it.
    const QModelIndex current = m_tree->currentIndex();
    if (!m_scrollPending.isEmpty() && current.isValid()) {
        m_tree->scrollTo(current, QAbstractItemView::PositionAtCenter);
        m_scrollDeadline->start();
    }
}

void FileSystemBrowser::showInList(const QString& folder)
{
    if (!m_shown) {
        m_listPending = folder;
        return;
    }
    if (m_listModel->rootPath() == folder && m_list->rootIndex().isValid())
        return;
    m_list->setRootIndex(m_listModel->setRootPath(folder));
    m_list->clearSelection();
}

void FileSystemBrowser::showTreeMenu(const QPoint& pos)
{
    const QModelIndex under = m_tree->indexAt(pos);
    if (!under.isValid())
        return;
    const QString folder = m_treeModel->filePath(under);
    const QMimeData* clipboard = QApplication::clipboard()->mimeData();
    QMenu menu(m_tree);
    menu.addAction(QStringLiteral("Ouvrir"), this, [folder] { platform::shellOpen(folder); });
    menu.addAction(QStringLiteral("Coller"), this, [this, folder] { m_list->pasteInto(folder); })
        ->setEnabled(clipboard && clipboard->hasUrls());
    menu.exec(m_tree->viewport()->mapToGlobal(pos));
}

QString FileSystemBrowser::listFolder() const
{
    if (!m_listPending.isEmpty())
        return QDir::cleanPath(m_listPending);
    return m_listModel->filePath(m_list->rootIndex());
}

QString FileSystemBrowser::selectedFolder() const
{
    const QModelIndex current = m_tree->currentIndex();
    return current.isValid() ? m_treeModel->filePath(current) : QString();
}

bool FileSystemBrowser::selectFolder(const QString& path)
{
    const QString wanted = path.isEmpty() ? QStringLiteral("/") : QDir::cleanPath(path);
    QModelIndex index;
    if (QDir::isAbsolutePath(wanted) && QFileInfo(wanted).isDir())
        index = m_treeModel->index(wanted);
    if (!index.isValid()) {
        showBrowserError(m_tree->window(), QStringLiteral("Unable to find path: ") + path,
                         platform::MsgIcon::Error);
        return false;
    }
    m_tree->setCurrentIndex(index);
    m_scrollPending = wanted;
    if (m_shown) {
        m_tree->scrollTo(index, QAbstractItemView::PositionAtCenter);
        m_scrollDeadline->start();
    }
    showInList(wanted);
    return true;
}

void FileSystemBrowser::setMask(const QString& mask)
{
    m_mask = mask;
    m_listModel->setNameFilters(splitMask(mask));
}

int FileSystemBrowser::selectedCount() const
{
    return int(m_list->selectionModel()->selectedRows(0).size());
}

std::optional<BrowserEntry> FileSystemBrowser::firstSelected() const
{
    const QModelIndexList rows = m_list->selectionModel()->selectedRows(0);
    if (rows.isEmpty())
        return std::nullopt;
    const QModelIndex first =
        *std::min_element(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) {
            return a.row() < b.row();
        });
    BrowserEntry entry;
    entry.path = m_listModel->filePath(first);
    entry.fileName = m_listModel->fileName(first);
    entry.isFolder = m_listModel->isDir(first);
    return entry;
}

void FileSystemBrowser::defaultAction()
{
    const std::optional<BrowserEntry> entry = firstSelected();
    if (entry && entry->isFolder)
        selectFolder(entry->path);
}

} // namespace mainwin
