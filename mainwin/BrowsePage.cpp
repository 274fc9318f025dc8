#include "mainwin/BrowsePage.h"

#include "mainwin/FileDrop.h"
#include "mainwin/FileSystemBrowser.h"
#include "mainwin/FolderBrowser.h"
#include "mainwin/PageDecor.h"
#include "mainwin/SettingsFiles.h"
#include "mainwin/SourceSelection.h"

#include "platform/KnownFolders.h"

#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace mainwin {

namespace {
// Entries of the preferred folders are 13 pixels high, so the row shows
// about two of them.
class CompactRowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(13);
        return size;
    }
};
// Where an entry of the preferred folders keeps its line of folders.dat.
constexpr int LineRole = Qt::UserRole;
} // namespace

void PrefListWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    QListWidget::mouseDoubleClickEvent(event);
    emit doubleClickedAnywhere();
}

void PrefListWidget::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    if (!text.isEmpty())
        emit characterKey(text.at(0));
    QListWidget::keyPressEvent(event);
}

BrowsePage::BrowsePage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("BrowsePage"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // Preferred folders: a label box in the header colour, then the list.
    auto* prefRow = new QWidget(this);
    prefRow->setFixedHeight(33);
    auto* prefLayout = new QHBoxLayout(prefRow);
    prefLayout->setContentsMargins(0, 0, 0, 0);
    prefLayout->setSpacing(0);
    auto* prefBox = new BevelPanel(headerColour(), BevelPanel::Bevel::Lowered,
                                   BevelPanel::Bevel::Raised, prefRow);
    prefBox->setObjectName(QStringLiteral("PrefLabelPanel"));
    prefBox->setFixedWidth(121);
    auto* prefLabel = new QLabel(QStringLiteral("Répertoire préféré:"), prefBox);
    QFont bold = prefLabel->font();
    bold.setBold(true);
    prefLabel->setFont(bold);
    // Where the font runs wider than the box, the label takes two lines.
    prefLabel->setWordWrap(true);
    auto* prefBoxLayout = new QHBoxLayout(prefBox);
    prefBoxLayout->setContentsMargins(5, 0, 2, 0);
    prefBoxLayout->addWidget(prefLabel);
    m_prefListBox = new PrefListWidget(prefRow);
    m_prefListBox->setObjectName(QStringLiteral("PrefListBox"));
    m_prefListBox->setSelectionMode(QAbstractItemView::SingleSelection);
    m_prefListBox->setItemDelegate(new CompactRowDelegate(m_prefListBox));
    m_prefListBox->setUniformItemSizes(true);
    m_prefListBox->setEditTriggers(QAbstractItemView::NoEditTriggers);
    prefLayout->addWidget(prefBox);
    prefLayout->addWidget(m_prefListBox, 1);
    column->addWidget(prefRow);

    // The tree keeps its width; the list takes what the window gives.
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("Splitter1"));
    m_splitter->setHandleWidth(3);
    m_splitter->setChildrenCollapsible(false);
    m_browser = new FileSystemBrowser(m_splitter);
    m_splitter->addWidget(m_browser->tree());
    m_splitter->addWidget(m_browser->list());
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({241, 400});
    column->addWidget(m_splitter, 1);

    auto* footRow = new QWidget(this);
    footRow->setObjectName(QStringLiteral("FilterPanel"));
    footRow->setFixedHeight(41);
    m_filterComboBox = new QComboBox(footRow);
    m_filterComboBox->setObjectName(QStringLiteral("FilterComboBox1"));
    m_filterComboBox->setGeometry(248, 8, 145, m_filterComboBox->sizeHint().height());
    for (const FilterEntry& entry : filterEntries())
        m_filterComboBox->addItem(entry.text, entry.mask);
    m_filterComboBox->setCurrentIndex(0);
    column->addWidget(footRow);

    ShellListView* list = m_browser->list();
    connect(list, &QAbstractItemView::doubleClicked, this, [this] { JamShellList1DblClick(); });
    list->setCharacterKeyHandler([this](QChar key) { return JamShellList1KeyPress(key); });
    connect(m_prefListBox, &PrefListWidget::doubleClickedAnywhere, this,
            [this] { PrefListBoxDblClick(); });
    connect(m_prefListBox, &PrefListWidget::characterKey, this,
            [this](QChar key) { PrefListBoxKeyPress(key); });
    connect(m_filterComboBox, &QComboBox::activated, this, [this] { FilterComboBox1Change(); });
    acceptFileDrops(list, [this](const QStringList& files) { JamShellList1DragDrop(files); });
}

void BrowsePage::showStartFolder(const QString& folder)
{
    m_browser->selectFolder(folder);
}

void BrowsePage::loadPreferredFolders()
{
    if (const auto folders = loadPrefFolders(m_programFolder))
        setPrefFolderLines(*folders);
}

void BrowsePage::JamShellList1DblClick()
{
    const std::optional<TakenFile> taken = chooseFromList(*m_browser);
    if (!taken)
        return;
    AddToPrefFolders(taken->folder);
    emit filesTaken({taken->path});
}

bool BrowsePage::JamShellList1KeyPress(QChar key)
{
    // Enter while a name is edited belongs to the edit.
    if (key != QChar(13) || m_browser->isEditing())
        return false;
    JamShellList1DblClick();
    return true;
}

void BrowsePage::JamShellList1DragDrop(const QStringList& files)
{
    if (files.isEmpty())
        return;
    // Its own folder, which need not be the one the tree shows.
    AddToPrefFolders(platform::withTrailingSlash(QFileInfo(files.constFirst()).absolutePath()));
    emit filesTaken(files);
}

void BrowsePage::AddToPrefFolders(const QString& Folder)
{
    // The other entries keep their lines as read, whatever their encoding.
    QByteArrayList folders = prefFolderLines();
    moveToTop(folders, folderLine(Folder));
    setPrefFolderLines(folders);
    // The list shows the new order even when the file cannot be written.
    savePrefFolders(m_programFolder, folders);
}

void BrowsePage::PrefListBoxDblClick()
{
    const int current = m_prefListBox->currentRow();
    if (current < 0 || current >= m_prefListBox->count())
        return;
    m_browser->selectFolder(m_prefListBox->item(current)->text());
}

void BrowsePage::PrefListBoxKeyPress(QChar key)
{
    if (key == QChar(13))
        PrefListBoxDblClick();
}

void BrowsePage::FilterComboBox1Change()
{
    m_browser->setMask(m_filterComboBox->currentData().toString());
}

void BrowsePage::setPrefFolderLines(const QByteArrayList& lines)
{
    m_prefListBox->clear();
    for (const QByteArray& line : lines) {
        auto* item = new QListWidgetItem(folderText(line), m_prefListBox);
        item->setData(LineRole, line);
    }
    m_prefListBox->setCurrentRow(-1);
    m_prefListBox->clearSelection();
}

QByteArrayList BrowsePage::prefFolderLines() const
{
    QByteArrayList lines;
    for (int row = 0; row < m_prefListBox->count(); ++row)
        lines.append(m_prefListBox->item(row)->data(LineRole).toByteArray());
    return lines;
}

void BrowsePage::setPrefFolders(const QStringList& folders)
{
    QByteArrayList lines;
    for (const QString& folder : folders)
        lines.append(folderLine(folder));
    setPrefFolderLines(lines);
}

QStringList BrowsePage::prefFolders() const
{
    QStringList folders;
    for (int row = 0; row < m_prefListBox->count(); ++row)
        folders.append(m_prefListBox->item(row)->text());
    return folders;
}

} // namespace mainwin
