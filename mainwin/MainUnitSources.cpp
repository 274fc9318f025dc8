// TMainForm, continued: the help page, the page "Choisir un fichier
// PostScript" and what taking a file from it does.

#include "mainwin/BrowsePage.h"
#include "mainwin/FileDrop.h"
#include "mainwin/FileSystemBrowser.h"
#include "mainwin/FilenameEdit.h"
#include "mainwin/HelpText.h"
#include "mainwin/MainUnit.h"
#include "mainwin/PageDecor.h"
#include "mainwin/SettingsFiles.h"
#include "mainwin/SourceSelection.h"
#include "platform/MessageBox.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QTabWidget>
#include <QTextEdit>

void TMainForm::buildHelpPage()
{
    RichEdit1 = new QTextEdit(TabSheet1->area());
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    fillHelpBox(RichEdit1);
    TabSheet1->area()->setPlacer(
        [this](const QSize& size) { RichEdit1->setGeometry(0, 0, size.width(), size.height()); });
}

void TMainForm::buildBrowsePage()
{
    m_browsePage = new BrowsePage(TabSheet2->area());
    TabSheet2->area()->setPlacer([this](const QSize& size) {
        m_browsePage->setGeometry(0, 0, size.width(), size.height());
    });
    PrefListBox = m_browsePage->prefListBox();
    JamShellTree1 = m_browsePage->browser()->tree();
    JamShellList1 = m_browsePage->browser()->list();
    FilterComboBox1 = m_browsePage->filterComboBox();

    connect(JamShellList1, &QAbstractItemView::doubleClicked, this,
            [this] { JamShellList1DblClick(); });
    JamShellList1->setCharacterKeyHandler([this](QChar key) { return JamShellList1KeyPress(key); });
    connect(PrefListBox, &PrefListWidget::doubleClickedAnywhere, this,
            [this] { PrefListBoxDblClick(); });
    connect(PrefListBox, &PrefListWidget::characterKey, this,
            [this](QChar key) { PrefListBoxKeyPress(key); });
    connect(FilterComboBox1, &QComboBox::activated, this, [this] { FilterComboBox1Change(); });
    acceptFileDrops(JamShellList1,
                    [this](const QStringList& files) { JamShellList1DragDrop(files); });
}

void TMainForm::JamShellList1DblClick()
{
    const std::optional<TakenFile> taken = chooseFromList(*m_browsePage->browser());
    if (!taken)
        return;
    AddToPrefFolders(taken->folder);
    openfilenow(taken->path);
}

bool TMainForm::JamShellList1KeyPress(QChar key)
{
    // Enter while a name is edited belongs to the edit.
    if (key != QChar(13) || m_browsePage->browser()->isEditing())
        return false;
    JamShellList1DblClick();
    return true;
}

void TMainForm::openfilenow(const QString& FileName)
{
    ListBox1->clear();
    ListBox1->addItem(FileName);
    FilenameEdit2->setFileName(source::outputNameFor(FileName));
    PageControl2->setCurrentIndex(2);
}

void TMainForm::openCommandLineFiles(const QStringList& names)
{
    const source::NamedFiles named = source::namedFiles(names, QDir::currentPath());
    if (!named.files.isEmpty()) {
        openfilenow(named.files.constFirst());
        ListBox1->addItems(named.files.mid(1));
    }
    if (named.missing.isEmpty())
        return;
    platform::MessageRequest refused;
    refused.owner = this;
    refused.text = (named.missing.size() == 1
                        ? QStringLiteral("Ce fichier est introuvable ; il n'a pas été pris comme "
                                         "source :\n\n")
                        : QStringLiteral("Ces fichiers sont introuvables ; ils n'ont pas été pris "
                                         "comme sources :\n\n")) +
                   named.missing.join(QLatin1Char('\n'));
    refused.icon = platform::MsgIcon::Warning;
    platform::showMessage(refused);
}

void TMainForm::ListBox1DragDrop(const QStringList& files)
{
    ListBox1->addItems(files);
}

void TMainForm::JamShellList1DragDrop(const QStringList& files)
{
    if (files.isEmpty())
        return;
    // Its own folder, which need not be the one the tree shows.
    AddToPrefFolders(source::withTrailingSlash(QFileInfo(files.constFirst()).absolutePath()));
    openfilenow(files.constFirst());
    ListBox1->addItems(files.mid(1));
}

void TMainForm::AddToPrefFolders(const QString& Folder)
{
    // The other entries keep their lines as read, whatever their encoding.
    QByteArrayList folders = m_browsePage->prefFolderLines();
    source::moveToTop(folders, settings::folderLine(Folder));
    m_browsePage->setPrefFolderLines(folders);
    // The list shows the new order even when the file cannot be written.
    settings::savePrefFolders(ProgramFolder, folders);
}

void TMainForm::PrefListBoxDblClick()
{
    const int current = PrefListBox->currentRow();
    if (current < 0 || current >= PrefListBox->count())
        return;
    m_browsePage->browser()->selectFolder(PrefListBox->item(current)->text());
}

void TMainForm::PrefListBoxKeyPress(QChar key)
{
    if (key == QChar(13))
        PrefListBoxDblClick();
}

void TMainForm::FilterComboBox1Change()
{
    m_browsePage->browser()->setMask(FilterComboBox1->currentData().toString());
}
