// Taking sources through the window: the file list, the preferred folders
// and the filter, on real folders and files made by the test.

#include "mainwin/BrowsePage.h"
#include "mainwin/FileSystemBrowser.h"
#include "mainwin/FilenameEdit.h"
#include "mainwin/MainUnit.h"
#include "mainwin/SettingsFiles.h"
#include "platform/MessageBox.h"
#include "support/FormParts.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QMimeData>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>
#include <QtTest>

using namespace mainwin;

using testsupport::readFile;
using testsupport::writeFile;

class TestSourcePage : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void doubleClickOnFileTakesIt();
    void doubleClickInSeveralTakesFirst();
    void enterOnFileTakesItEnterOnFolderOpensIt();
    void preferredFoldersMoveWithDuplicates();
    void preferredFolderTakesTreeThere();
    void linesInOtherEncodingsStayAsTheyAre();
    void missingPreferredFolderKeepsSelection();
    void anyFileWithTheAllFilesFilter();
    void noWritableFolderStillUpdatesList();
    void helpTextIsBuiltIn();
    void filesDroppedOnTheLists();

private:
    void showFolder(const QString& folder, int rows);
    QRect rectOf(const QString& path) const;
    QStringList prefEntries() const { return browsePage(m_form)->prefFolders(); }

    QTemporaryDir* m_dir = nullptr;
    QString m_root;
    QString m_program;
    TMainForm* m_form = nullptr;
    FileSystemBrowser* m_browser = nullptr;
    QList<platform::MessageRequest> m_boxes;
};

void TestSourcePage::init()
{
    m_dir = new QTemporaryDir;
    m_root = m_dir->path();
    m_program = m_root + "/program/";
    QVERIFY(QDir().mkpath(m_program));
    // No test here may reach the settings of the user who runs it.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_root + "/config"));
    QVERIFY(writeFile(m_root + "/Mes docs/report.ps", "%!\n"));
    QVERIFY(writeFile(m_root + "/Mes docs/archive.part1.prn", "%!\n"));
    QVERIFY(writeFile(m_root + "/Mes docs/notes.txt", "x"));
    QVERIFY(QDir().mkpath(m_root + "/Mes docs/sub"));
    QVERIFY(writeFile(m_root + "/Print/page.ps", "%!\n"));
    m_boxes.clear();
    platform::setMessageHandler([this](const platform::MessageRequest& request) {
        m_boxes.append(request);
        return platform::MsgAnswer::Ok;
    });
    m_form = new TMainForm;
    // The settings of this test live in its own sandbox.
    browsePage(m_form)->setProgramFolder(m_program);
    browsePage(m_form)->setPrefFolders({});
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    m_browser = browsePage(m_form)->browser();
}

void TestSourcePage::cleanup()
{
    delete m_form;
    m_form = nullptr;
    platform::setMessageHandler({});
    delete m_dir;
}

void TestSourcePage::showFolder(const QString& folder, int rows)
{
    QVERIFY(m_browser->selectFolder(folder));
    QTRY_COMPARE(m_browser->listModel()->rowCount(m_browser->list()->rootIndex()), rows);
    // Rows settle into their sorted places a moment later.
    QTest::qWait(50);
}

QRect TestSourcePage::rectOf(const QString& path) const
{
    return m_browser->list()->visualRect(m_browser->listModel()->index(path));
}

void TestSourcePage::doubleClickOnFileTakesIt()
{
    QCOMPARE(part<QTabWidget>(m_form, "PageControl2")->currentIndex(), 1);
    part<QListWidget>(m_form, "ListBox1")->addItems({"/x/1.ps", "/x/2.ps", "/x/3.ps"});
    showFolder(m_root + "/Mes docs", 3);

    const QRect rect = rectOf(m_root + "/Mes docs/report.ps");
    QVERIFY(rect.isValid());
    QTest::mouseClick(m_browser->list()->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(m_browser->list()->viewport(), Qt::LeftButton, {}, rect.center());

    // A double-click is no slow click: no rename starts after it.
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    QVERIFY(!m_browser->isEditing());
    QCOMPARE(part<QListWidget>(m_form, "ListBox1")->count(), 1);
    QCOMPARE(part<QListWidget>(m_form, "ListBox1")->item(0)->text(),
             m_root + "/Mes docs/report.ps");
    QCOMPARE(part<FilenameEdit>(m_form, "FilenameEdit2")->fileName(),
             m_root + "/Mes docs/report.PDF");
    QCOMPARE(part<QTabWidget>(m_form, "PageControl2")->currentIndex(), 2);
    QCOMPARE(part<QTabWidget>(m_form, "PageControl2")->currentWidget()->objectName(),
             QStringLiteral("TabSheet3"));
    QCOMPARE(prefEntries(), QStringList{m_root + "/Mes docs/"});
    QCOMPARE(readFile(m_program + "folders.dat"), (m_root + "/Mes docs/\r\n").toUtf8());
    QVERIFY(m_boxes.isEmpty());
}

void TestSourcePage::doubleClickInSeveralTakesFirst()
{
    const QString docs = m_root + "/Mes docs/";
    QVERIFY(writeFile(docs + "zz.ps", "%!\n"));
    showFolder(m_root + "/Mes docs", 4);
    auto* viewport = m_browser->list()->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, rectOf(docs + "archive.part1.prn").center());
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier,
                      rectOf(docs + "report.ps").center());
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::ControlModifier,
                      rectOf(docs + "zz.ps").center());
    QCOMPARE(m_browser->selectedCount(), 3);
    QTest::qWait(QApplication::doubleClickInterval() + 100);

    // A double-click on the last of them, as the window system delivers it:
    // the first of the three in list order is taken, not the one clicked.
    const QPoint at = rectOf(docs + "zz.ps").center();
    QTest::mousePress(viewport, Qt::LeftButton, {}, at);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
    QTest::mousePress(viewport, Qt::LeftButton, {}, at);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
    QCOMPARE(part<QListWidget>(m_form, "ListBox1")->count(), 1);
    QCOMPARE(part<QListWidget>(m_form, "ListBox1")->item(0)->text(), docs + "archive.part1.prn");
    QCOMPARE(part<QTabWidget>(m_form, "PageControl2")->currentIndex(), 2);
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    QVERIFY(!m_browser->isEditing());
}

void TestSourcePage::enterOnFileTakesItEnterOnFolderOpensIt()
{
    showFolder(m_root + "/Mes docs", 3);
    auto* list = m_browser->list();
    list->setFocus();

    // A folder: opened, nothing taken, page and preferred folders unchanged.
    list->setCurrentIndex(m_browser->listModel()->index(m_root + "/Mes docs/sub"));
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(m_browser->selectedFolder(), m_root + "/Mes docs/sub");
    QCOMPARE(part<QTabWidget>(m_form, "PageControl2")->currentIndex(), 1);
    QCOMPARE(part<QListWidget>(m_form, "ListBox1")->count(), 0);
    QVERIFY(!QFile::exists(m_program + "folders.dat"));

    // Nothing selected: nothing.
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(part<QTabWidget>(m_form, "PageControl2")->currentIndex(), 1);

    showFolder(m_root + "/Mes docs", 3);
    list->setCurrentIndex(m_browser->listModel()->index(m_root + "/Mes docs/archive.part1.prn"));
    QTest::keyClick(list, Qt::Key_Enter);
    QCOMPARE(part<FilenameEdit>(m_form, "FilenameEdit2")->fileName(),
             m_root + "/Mes docs/archive.part1.PDF");
    QCOMPARE(part<QTabWidget>(m_form, "PageControl2")->currentIndex(), 2);

    // Enter while renaming takes nothing.
    part<QTabWidget>(m_form, "PageControl2")->setCurrentIndex(1);
    part<QListWidget>(m_form, "ListBox1")->clear();
    list->setFocus();
    list->setCurrentIndex(m_browser->listModel()->index(m_root + "/Mes docs/report.ps"));
    QTest::keyClick(list, Qt::Key_F2);
    QVERIFY(m_browser->isEditing());
    QWidget* editor = QApplication::focusWidget();
    QVERIFY(editor && editor != list);
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(part<QListWidget>(m_form, "ListBox1")->count(), 0);
    QCOMPARE(part<QTabWidget>(m_form, "PageControl2")->currentIndex(), 1);
}

void TestSourcePage::preferredFoldersMoveWithDuplicates()
{
    const QString docs = m_root + "/Mes docs/";
    browsePage(m_form)->setPrefFolders({"/a/", docs, "/b/", docs, "/c/"});
    showFolder(m_root + "/Mes docs", 3);
    m_browser->list()->setCurrentIndex(m_browser->listModel()->index(docs + "report.ps"));
    browsePage(m_form)->JamShellList1DblClick();
    // The later duplicate went; the earlier one stays below the top.
    const QStringList expected{docs, "/a/", docs, "/b/", "/c/"};
    QCOMPARE(prefEntries(), expected);
    QCOMPARE(readFile(m_program + "folders.dat"), (expected.join("\r\n") + "\r\n").toUtf8());

    // Taking from the folder now on top rewrites the file all the same; the
    // later of the two equal entries is the one that moves.
    QFile::remove(m_program + "folders.dat");
    browsePage(m_form)->JamShellList1DblClick();
    QCOMPARE(prefEntries(), (QStringList{docs, docs, "/a/", "/b/", "/c/"}));
    QVERIFY(QFile::exists(m_program + "folders.dat"));

    // Another folder adds one entry.
    showFolder(m_root + "/Print", 1);
    m_browser->list()->setCurrentIndex(m_browser->listModel()->index(m_root + "/Print/page.ps"));
    browsePage(m_form)->JamShellList1DblClick();
    QCOMPARE(prefEntries().size(), 6);
    QCOMPARE(prefEntries().first(), m_root + "/Print/");
}

void TestSourcePage::preferredFolderTakesTreeThere()
{
    showFolder(m_root + "/Mes docs", 3);
    browsePage(m_form)->setPrefFolders({m_root + "/Print/", ""});
    auto* pref = part<PrefListWidget>(m_form, "PrefListBox");

    // No current entry: nothing.
    browsePage(m_form)->PrefListBoxDblClick();
    QCOMPARE(m_browser->selectedFolder(), m_root + "/Mes docs");

    const QRect rect = pref->visualItemRect(pref->item(0));
    QTest::mouseDClick(pref->viewport(), Qt::LeftButton, {}, rect.center());
    QCOMPARE(m_browser->selectedFolder(), m_root + "/Print");
    QCOMPARE(m_browser->listFolder(), m_root + "/Print");
    QCOMPARE(part<QTabWidget>(m_form, "PageControl2")->currentIndex(), 1);
    QCOMPARE(prefEntries(), (QStringList{m_root + "/Print/", ""}));
    QVERIFY(!QFile::exists(m_program + "folders.dat"));

    // Enter on the empty entry goes to the root of the file system.
    pref->setFocus();
    pref->setCurrentRow(1);
    // The list acts on Enter and lets it go on, unlike the file list.
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(pref, &enter);
    QVERIFY(!enter.isAccepted());
    QCOMPARE(m_browser->selectedFolder(), QStringLiteral("/"));
    QVERIFY(m_boxes.isEmpty());
}

void TestSourcePage::linesInOtherEncodingsStayAsTheyAre()
{
    // Written on a system that names folders in Windows-1252: "Données"
    // (é is byte E9), a folder that exists here; and a line that names no
    // folder in any encoding.
    QVERIFY(QDir().mkpath(m_root + "/Données"));
    const QByteArray foreign = QFile::encodeName(m_root) + "/Donn\xe9"
                                                           "es/";
    const QByteArray before = "/x/\xff\xfe/\r\n" + foreign + "\r\n";
    QVERIFY(writeFile(m_program + "folders.dat", before));
    browsePage(m_form)->setPrefFolderLines(mainwin::loadPrefFolders(m_program).value());

    part<PrefListWidget>(m_form, "PrefListBox")->setCurrentRow(1);
    browsePage(m_form)->PrefListBoxDblClick();
    QCOMPARE(m_browser->selectedFolder(), m_root + "/Données");
    QVERIFY(m_boxes.isEmpty());

    // Taking a file rewrites only the line of its folder.
    showFolder(m_root + "/Mes docs", 3);
    m_browser->list()->setCurrentIndex(
        m_browser->listModel()->index(m_root + "/Mes docs/report.ps"));
    browsePage(m_form)->JamShellList1DblClick();
    QCOMPARE(readFile(m_program + "folders.dat"),
             QFile::encodeName(m_root + "/Mes docs/\r\n") + before);
}

void TestSourcePage::missingPreferredFolderKeepsSelection()
{
    showFolder(m_root + "/Mes docs", 3);
    const QString gone = m_root + "/gone/";
    browsePage(m_form)->setPrefFolders({gone});
    part<PrefListWidget>(m_form, "PrefListBox")->setCurrentRow(0);
    browsePage(m_form)->PrefListBoxDblClick();
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes.first().text, QStringLiteral("Unable to find path: ") + gone);
    QCOMPARE(m_boxes.first().icon, platform::MsgIcon::Error);
    QCOMPARE(m_browser->selectedFolder(), m_root + "/Mes docs");
    QCOMPARE(prefEntries(), QStringList{gone});
}

void TestSourcePage::anyFileWithTheAllFilesFilter()
{
    auto* filter = part<QComboBox>(m_form, "FilterComboBox1");
    QCOMPARE(filter->currentIndex(), 0);
    QCOMPARE(m_browser->mask(), QStringLiteral("*.ps;*.prn;*.eps"));
    // Illustrations are PostScript too: listed beside the print files.
    QVERIFY(writeFile(m_root + "/Mes docs/figure.eps", "%!PS-Adobe-3.0 EPSF-3.0\n"));
    showFolder(m_root + "/Mes docs", 4);

    // Pick "Tous les fichiers (*.*)" as a user does.
    filter->setFocus();
    QTest::keyClick(filter, Qt::Key_Down);
    QCOMPARE(filter->currentText(), QStringLiteral("Tous les fichiers (*.*)"));
    QCOMPARE(m_browser->mask(), QStringLiteral("*.*"));
    QTRY_COMPARE(m_browser->listModel()->rowCount(m_browser->list()->rootIndex()), 5);
    m_browser->list()->setCurrentIndex(
        m_browser->listModel()->index(m_root + "/Mes docs/notes.txt"));
    browsePage(m_form)->JamShellList1DblClick();
    QCOMPARE(part<FilenameEdit>(m_form, "FilenameEdit2")->fileName(),
             m_root + "/Mes docs/notes.PDF");
}

void TestSourcePage::noWritableFolderStillUpdatesList()
{
    // Nobody, root included, may create a file or a folder below /proc:
    // neither the program's folder nor the user's can take folders.dat.
    browsePage(m_form)->setProgramFolder(QStringLiteral("/proc/"));
    qputenv("XDG_CONFIG_HOME", "/proc/folivant-test-config");
    showFolder(m_root + "/Print", 1);
    m_browser->list()->setCurrentIndex(m_browser->listModel()->index(m_root + "/Print/page.ps"));
    browsePage(m_form)->JamShellList1DblClick();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_root + "/config"));
    QCOMPARE(prefEntries(), QStringList{m_root + "/Print/"});
    QCOMPARE(part<QTabWidget>(m_form, "PageControl2")->currentIndex(), 2);
    QCOMPARE(part<QListWidget>(m_form, "ListBox1")->count(), 1);
    QVERIFY(m_boxes.isEmpty());
    QVERIFY(!QFile::exists(QStringLiteral("/proc/folders.dat")));
}

void TestSourcePage::helpTextIsBuiltIn()
{
    QTextEdit* help = part<QTextEdit>(m_form, "RichEdit1");
    QCOMPARE(help->document()->blockCount(), 66);
    QCOMPARE(help->document()->findBlockByNumber(8).text(), QStringLiteral(" "));
    QVERIFY(help->font().bold());
    QCOMPARE(help->font().pixelSize(), 15);
    QCOMPARE(help->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(help->lineWrapMode(), QTextEdit::WidgetWidth);

    // Typed text lives only as long as the window.
    const QString builtIn = help->toPlainText();
    help->setFocus();
    QTest::keyClicks(help, "perdu");
    QVERIFY(help->toPlainText() != builtIn);
    delete m_form;
    m_form = new TMainForm;
    QCOMPARE(part<QTextEdit>(m_form, "RichEdit1")->toPlainText(), builtIn);
}

namespace {
// Drags `paths` (local files unless they are addresses) over `target` and
// drops them there; false when the target refuses the drag.
bool dropOn(QWidget* target, const QStringList& paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << (path.contains("://") ? QUrl(path) : QUrl::fromLocalFile(path));
    data.setUrls(urls);
    // Qt hands drags only to widgets that take drops.
    if (!target->acceptDrops())
        return false;
    const QPoint at = target->rect().center();
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(at, actions, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
}
} // namespace

void TestSourcePage::filesDroppedOnTheLists()
{
    const QString docs = m_root + "/Mes docs/";
    const QString page = m_root + "/Print/page.ps";
    QListWidget* sources = part<QListWidget>(m_form, "ListBox1");
    auto sourceList = [sources] {
        QStringList entries;
        for (int i = 0; i < sources->count(); ++i)
            entries << sources->item(i)->text();
        return entries;
    };

    // On the source list: appended in the order of the drag, without what
    // is no local file; the output name and the page stay.
    part<QTabWidget>(m_form, "PageControl2")->setCurrentIndex(2);
    sources->addItem("/x/1.ps");
    part<FilenameEdit>(m_form, "FilenameEdit2")->setFileName("/x/1.PDF");
    QVERIFY(dropOn(sources->viewport(),
                   {docs + "report.ps", docs + "sub", "ftp://localhost/a.ps", page}));
    QCOMPARE(sourceList(), (QStringList{"/x/1.ps", docs + "report.ps", page}));
    QCOMPARE(part<FilenameEdit>(m_form, "FilenameEdit2")->fileName(), QStringLiteral("/x/1.PDF"));
    QCOMPARE(part<QTabWidget>(m_form, "PageControl2")->currentIndex(), 2);
    QVERIFY(!dropOn(sources->viewport(), {docs + "sub"}));
    QCOMPARE(sources->count(), 3);

    // On the file list: the first is taken as a picked file, from its own
    // folder rather than the one the list shows; the others follow it.
    part<QTabWidget>(m_form, "PageControl2")->setCurrentIndex(1);
    showFolder(docs, 3);
    QVERIFY(dropOn(m_browser->list()->viewport(), {page, docs + "notes.txt"}));
    QCOMPARE(sourceList(), (QStringList{page, docs + "notes.txt"}));
    QCOMPARE(part<FilenameEdit>(m_form, "FilenameEdit2")->fileName(), m_root + "/Print/page.PDF");
    QCOMPARE(part<QTabWidget>(m_form, "PageControl2")->currentIndex(), 2);
    QCOMPARE(prefEntries(), QStringList{m_root + "/Print/"});
    QCOMPARE(readFile(m_program + "folders.dat"), (m_root + "/Print/\r\n").toUtf8());
    QVERIFY(m_boxes.isEmpty());
}

QTEST_MAIN(TestSourcePage)
#include "tst_sourcepage.moc"
