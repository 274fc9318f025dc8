#include "mainwin/FileSystemBrowser.h"

#include "mainwin/FileActions.h"
#include "mainwin/SourceSelection.h"
#include "platform/MessageBox.h"
#include "platform/ShellOpen.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QTimer>

namespace mainwin {

namespace {
void showError(QWidget* owner, const QString& text, platform::MsgIcon icon)
{
    platform::MessageRequest request;
    request.owner = owner;
    request.text = text;
    request.icon = icon;
    request.buttons = platform::MsgButtons::Ok;
    platform::showMessage(request);
}

QString quoted(const QString& name)
{
    return QStringLiteral("« %1 »").arg(name);
}

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

QMimeType NameIconProvider::mimeType(const QFileInfo& info) const
{
    return m_mimeTypes.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
}

QIcon NameIconProvider::icon(const QFileInfo& info) const
{
    if (info.isRoot())
        return icon(Drive);
    if (info.isDir())
        return icon(Folder);
    if (m_foldersOnly)
        return icon(File);
    const QMimeType type = mimeType(info);
    QMutexLocker locked(&m_lock);
    auto known = m_icons.constFind(type.name());
    if (known != m_icons.constEnd())
        return *known;
    QIcon shown = QIcon::fromTheme(type.iconName());
    if (shown.isNull())
        shown = QIcon::fromTheme(type.genericIconName());
    if (shown.isNull())
        shown = icon(File);
    m_icons.insert(type.name(), shown);
    return shown;
}

QString NameIconProvider::type(const QFileInfo& info) const
{
    if (info.isDir())
        return QFileIconProvider::type(info);
    if (m_foldersOnly)
        return QString();
    const QMimeType type = mimeType(info);
    return type.comment().isEmpty() ? type.name() : type.comment();
}

QVariant ShellFileModel::data(const QModelIndex& index, int role) const
{
    // The model would follow the desktop's language.
    if (role == Qt::DisplayRole && index.isValid()) {
        const QLocale french(QLocale::French, QLocale::France);
        if (index.column() == 1 && !isDir(index))
            return french.formattedDataSize(size(index));
        if (index.column() == 3)
            return french.toString(lastModified(index), QLocale::ShortFormat);
    }
    return QFileSystemModel::data(index, role);
}

bool ShellFileModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || index.column() != 0)
        return QFileSystemModel::setData(index, value, role);
    const QString oldName = index.data(Qt::EditRole).toString();
    const QString newName = value.toString();
    if (newName == oldName)
        return true;
    auto* owner = qobject_cast<QWidget*>(QObject::parent());
    if (newName.isEmpty() || newName == QLatin1String(".") || newName == QLatin1String("..") ||
        newName.contains(QLatin1Char('/')) || newName.contains(QChar(0))) {
        showError(owner, QStringLiteral("Le nom %1 n'est pas valide.").arg(quoted(newName)),
                  platform::MsgIcon::Error);
        return false;
    }
    const QDir folder = QFileInfo(filePath(index)).absoluteDir();
    if (QFileInfo::exists(folder.filePath(newName)) ||
        QFileInfo(folder.filePath(newName)).isSymLink()) {
        showError(
            owner,
            QStringLiteral("Un élément nommé %1 existe déjà dans ce dossier.").arg(quoted(newName)),
            platform::MsgIcon::Error);
        return false;
    }
    if (!QFileSystemModel::setData(index, value, role)) {
        showError(owner,
                  QStringLiteral("Impossible de renommer %1 en %2.")
                      .arg(quoted(oldName), quoted(newName)),
                  platform::MsgIcon::Error);
        return false;
    }
    return true;
}

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
                              .arg(quoted(QFileInfo(paths.first()).fileName()))
                        : QStringLiteral("Voulez-vous vraiment placer ces %1 éléments dans la "
                                         "corbeille ?")
                              .arg(paths.size());
    if (platform::showMessage(question) != platform::MsgAnswer::Yes)
        return;
    const TrashOutcome outcome = moveToTrash(paths);
    if (!outcome.noTrash.isEmpty()) {
        showError(this,
                  QStringLiteral("Aucune corbeille ne peut recevoir %1 : l'élément reste à sa "
                                 "place.")
                      .arg(quoted(QFileInfo(outcome.noTrash.first()).fileName())),
                  platform::MsgIcon::Warning);
    } else if (!outcome.failed.isEmpty()) {
        showError(this,
                  QStringLiteral("Impossible de placer %1 dans la corbeille.")
                      .arg(quoted(QFileInfo(outcome.failed.first()).fileName())),
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
        showError(this,
                  QStringLiteral("Impossible de coller %1.")
                      .arg(quoted(QFileInfo(failed.first()).fileName())),
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
        showError(m_tree->window(), QStringLiteral("Unable to find path: ") + path,
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
