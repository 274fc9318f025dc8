// The folder tree and file list over real folders made by the test, and
// the file commands of the list.

#include "mainwin/BrowsePage.h"
#include "mainwin/FileActions.h"
#include "mainwin/FileSystemBrowser.h"
#include "platform/MessageBox.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileIconProvider>
#include <QLineEdit>
#include <QMimeData>
#include <QMimeDatabase>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace mainwin;

using testsupport::readFile;
using testsupport::writeFile;

namespace {

// The text a link holds, as written, not where it leads.
QByteArray linkText(const QString& path)
{
    QByteArray text(4096, Qt::Uninitialized);
    const ssize_t n = ::readlink(QFile::encodeName(path).constData(), text.data(), 4096);
    return n < 0 ? QByteArray() : text.left(n);
}

struct stat entryInfo(const QString& path)
{
    struct stat info = {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info;
}

// Dates an entry itself, a link included, back to a day long past.
bool makeOld(const QString& path, time_t seconds)
{
    const struct timespec times[2] = {{seconds, 0}, {seconds, 500}};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW) ==
           0;
}

} // namespace

class TestFolderBrowser : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void selectFolderMovesTreeAndList();
    void missingFolderKeepsSelection();
    void maskShowsFoldersAndMatchingFiles();
    void sizesAndDatesInFrench();
    void typesFromNamesOnly();
    void iconsDrawAsQtsOwn();
    void firstSelectedIsInListOrder();
    void chooseFolderOpensIt();
    void chooseFileGivesFolderAndPath();
    void renameInPlace();
    void enterGoesToHandlerUnlessEditing();
    void copyCutPaste();
    void movedFolderArrivesUnchanged_data();
    void movedFolderArrivesUnchanged();
    void listShowsFinalSizeAndDate();
    void trashAsksFirst();

private:
    QStringList rowNames() const;
    void selectNames(const QStringList& names);
    void waitForRows(int count);
    void waitForNames(const QStringList& names);

    QTemporaryDir* m_dir = nullptr;
    QString m_root;
    BrowsePage* m_page = nullptr;
    FileSystemBrowser* m_browser = nullptr;
    QList<platform::MessageRequest> m_boxes;
    platform::MsgAnswer m_answer = platform::MsgAnswer::Ok;
};

void TestFolderBrowser::init()
{
    m_dir = new QTemporaryDir;
    m_root = m_dir->path();
    QVERIFY(writeFile(m_root + "/docs/a.ps", "%!\n"));
    QVERIFY(writeFile(m_root + "/docs/b.PRN", "%!\n"));
    QVERIFY(writeFile(m_root + "/docs/c.ps", "%!\n"));
    QVERIFY(writeFile(m_root + "/docs/notes.txt", "x"));
    QVERIFY(writeFile(m_root + "/docs/README", "x"));
    QVERIFY(QDir().mkpath(m_root + "/docs/sub dir é"));
    QVERIFY(QDir().mkpath(m_root + "/other"));
    m_boxes.clear();
    m_answer = platform::MsgAnswer::Ok;
    platform::setMessageHandler([this](const platform::MessageRequest& request) {
        m_boxes.append(request);
        return m_answer;
    });
    m_page = new BrowsePage;
    m_page->resize(640, 400);
    m_page->show();
    m_browser = m_page->browser();
}

void TestFolderBrowser::cleanup()
{
    delete m_page;
    m_page = nullptr;
    platform::setMessageHandler({});
    delete m_dir;
    m_dir = nullptr;
}

QStringList TestFolderBrowser::rowNames() const
{
    QStringList names;
    const QModelIndex root = m_browser->list()->rootIndex();
    for (int row = 0; row < m_browser->listModel()->rowCount(root); ++row)
        names.append(m_browser->listModel()->index(row, 0, root).data().toString());
    return names;
}

void TestFolderBrowser::waitForRows(int count)
{
    QTRY_COMPARE(m_browser->listModel()->rowCount(m_browser->list()->rootIndex()), count);
}

void TestFolderBrowser::waitForNames(const QStringList& names)
{
    // The model sorts a moment after the rows arrive.
    QTRY_COMPARE(rowNames(), names);
}

void TestFolderBrowser::selectNames(const QStringList& names)
{
    auto* selection = m_browser->list()->selectionModel();
    selection->clearSelection();
    for (const QString& name : names) {
        const QModelIndex index =
            m_browser->listModel()->index(m_browser->listFolder() + '/' + name);
        QVERIFY2(index.isValid(), qPrintable(name));
        selection->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    }
}

void TestFolderBrowser::selectFolderMovesTreeAndList()
{
    QVERIFY(m_browser->selectFolder(m_root + "/docs/"));
    QCOMPARE(m_browser->selectedFolder(), m_root + "/docs");
    QCOMPARE(m_browser->listFolder(), m_root + "/docs");

    // Choosing in the tree moves the list.
    const QModelIndex other =
        static_cast<QFileSystemModel*>(m_browser->tree()->model())->index(m_root + "/other");
    m_browser->tree()->setCurrentIndex(other);
    QCOMPARE(m_browser->listFolder(), m_root + "/other");

    // The empty path is the root of the file system.
    QVERIFY(m_browser->selectFolder(QString()));
    QCOMPARE(m_browser->selectedFolder(), QStringLiteral("/"));
    QVERIFY(m_boxes.isEmpty());
}

void TestFolderBrowser::missingFolderKeepsSelection()
{
    QVERIFY(m_browser->selectFolder(m_root + "/docs"));
    const QString gone = m_root + "/gone/";
    QVERIFY(!m_browser->selectFolder(gone));
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes.first().text, "Unable to find path: " + gone);
    QCOMPARE(m_boxes.first().icon, platform::MsgIcon::Error);
    QCOMPARE(m_boxes.first().buttons, platform::MsgButtons::Ok);
    QCOMPARE(m_browser->selectedFolder(), m_root + "/docs");
    QCOMPARE(m_browser->listFolder(), m_root + "/docs");

    // A file is no folder either.
    QVERIFY(!m_browser->selectFolder(m_root + "/docs/a.ps"));
    QCOMPARE(m_boxes.size(), 2);
}

void TestFolderBrowser::maskShowsFoldersAndMatchingFiles()
{
    QVERIFY(m_browser->selectFolder(m_root + "/docs"));
    waitForNames({"sub dir é", "a.ps", "b.PRN", "c.ps"});

    auto* filter = m_page->filterComboBox();
    QCOMPARE(filter->currentText(), QStringLiteral("Fichiers PostScript"));
    m_browser->setMask(filter->itemData(1).toString());
    waitForRows(6);
    QVERIFY(rowNames().contains("README"));
    QVERIFY(rowNames().contains("notes.txt"));
}

void TestFolderBrowser::sizesAndDatesInFrench()
{
    // Whatever the language of the desktop that runs the test.
    const QString name = m_root + "/docs/a.ps";
    QVERIFY(writeFile(name, QByteArray(2140, '%')));
    QFile file(name);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime(QDate(2003, 12, 5), QTime(14, 7)),
                             QFileDevice::FileModificationTime));
    file.close();
    QVERIFY(m_browser->selectFolder(m_root + "/docs"));
    waitForNames({"sub dir é", "a.ps", "b.PRN", "c.ps"});
    const QModelIndex row = m_browser->listModel()->index(name);
    QTRY_COMPARE(row.siblingAtColumn(1).data().toString(), QStringLiteral("2,09 Kio"));
    QCOMPARE(row.siblingAtColumn(3).data().toString(), QStringLiteral("05/12/2003 14:07"));
    // A folder has no size.
    const QModelIndex folder = m_browser->listModel()->index(m_root + "/docs/sub dir é");
    QVERIFY(folder.siblingAtColumn(1).data().toString().isEmpty());
}

void TestFolderBrowser::typesFromNamesOnly()
{
    // Reading files to learn their types would read a whole folder before
    // its list settles: PDF bytes under a bare name stay of no known type.
    QVERIFY(writeFile(m_root + "/docs/rapport", "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n"));
    m_browser->setMask("*.*");
    QVERIFY(m_browser->selectFolder(m_root + "/docs"));
    const QModelIndex bare = m_browser->listModel()->index(m_root + "/docs/rapport");
    QTRY_VERIFY(!bare.siblingAtColumn(2).data().toString().isEmpty());
    QVERIFY2(!bare.siblingAtColumn(2).data().toString().contains("PDF"),
             qPrintable(bare.siblingAtColumn(2).data().toString()));
    const QModelIndex named = m_browser->listModel()->index(m_root + "/docs/a.ps");
    QCOMPARE(named.siblingAtColumn(2).data().toString(),
             QMimeDatabase().mimeTypeForName("application/postscript").comment());
}

void TestFolderBrowser::iconsDrawAsQtsOwn()
{
    // The list's icons are made when first drawn; drawn, at any scale, they
    // are Qt's own.
    m_browser->setMask("*.*");
    QVERIFY(m_browser->selectFolder(m_root));
    const QFileIconProvider qts;
    const QList<std::pair<QString, QIcon>> entries = {
        {m_root + "/docs", qts.icon(QFileIconProvider::Folder)},
        {m_root + "/docs/a.ps",
         QIcon::fromTheme("application-postscript", qts.icon(QFileIconProvider::File))}};
    for (const auto& [path, expected] : entries) {
        const QModelIndex entry = m_browser->listModel()->index(path);
        QTRY_VERIFY(!entry.data(Qt::DecorationRole).value<QIcon>().isNull());
        const QIcon shown = entry.data(Qt::DecorationRole).value<QIcon>();
        for (const qreal scale : {1.0, 2.0})
            QCOMPARE(shown.pixmap(QSize(16, 16), scale).toImage(),
                     expected.pixmap(QSize(16, 16), scale).toImage());
        QCOMPARE(shown.availableSizes(), expected.availableSizes());
    }
}

void TestFolderBrowser::firstSelectedIsInListOrder()
{
    QVERIFY(m_browser->selectFolder(m_root + "/docs"));
    waitForNames({"sub dir é", "a.ps", "b.PRN", "c.ps"});
    QCOMPARE(m_browser->selectedCount(), 0);
    QVERIFY(!m_browser->firstSelected());
    // Selected last to first; the first in list order counts.
    selectNames({"c.ps", "b.PRN", "a.ps"});
    QCOMPARE(m_browser->selectedCount(), 3);
    const auto entry = m_browser->firstSelected();
    QVERIFY(entry);
    QCOMPARE(entry->fileName, QStringLiteral("a.ps"));
    QCOMPARE(entry->path, m_root + "/docs/a.ps");
    QVERIFY(!entry->isFolder);
}

void TestFolderBrowser::chooseFolderOpensIt()
{
    QVERIFY(m_browser->selectFolder(m_root + "/docs"));
    waitForNames({"sub dir é", "a.ps", "b.PRN", "c.ps"});
    QVERIFY(!chooseFromList(*m_browser)); // nothing selected
    selectNames({"sub dir é", "a.ps"});
    QVERIFY(!chooseFromList(*m_browser));
    QCOMPARE(m_browser->selectedFolder(), m_root + "/docs/sub dir é");
    QCOMPARE(m_browser->listFolder(), m_root + "/docs/sub dir é");
}

void TestFolderBrowser::chooseFileGivesFolderAndPath()
{
    QVERIFY(m_browser->selectFolder(m_root + "/docs"));
    waitForRows(4);
    selectNames({"c.ps"});
    const auto taken = chooseFromList(*m_browser);
    QVERIFY(taken);
    QCOMPARE(taken->folder, m_root + "/docs/");
    QCOMPARE(taken->path, m_root + "/docs/c.ps");

    // At the root the folder keeps its single slash.
    QVERIFY(m_browser->selectFolder("/"));
    QCOMPARE(m_browser->selectedFolder(), QStringLiteral("/"));
}

void TestFolderBrowser::renameInPlace()
{
    QVERIFY(m_browser->selectFolder(m_root + "/docs"));
    waitForRows(4);
    auto* model = m_browser->listModel();
    const QModelIndex a = model->index(m_root + "/docs/a.ps");

    QVERIFY(!model->setData(a, "c.ps", Qt::EditRole)); // taken
    QVERIFY(!model->setData(a, "x/y.ps", Qt::EditRole));
    QVERIFY(!model->setData(a, "", Qt::EditRole));
    QCOMPARE(m_boxes.size(), 3);
    QVERIFY(QFile::exists(m_root + "/docs/a.ps"));
    QCOMPARE(readFile(m_root + "/docs/c.ps"), QByteArray("%!\n"));

    QVERIFY(model->setData(a, "renamed é.ps", Qt::EditRole));
    QVERIFY(QFile::exists(m_root + "/docs/renamed é.ps"));
    QVERIFY(!QFile::exists(m_root + "/docs/a.ps"));

    // F2 opens the editor, and the browser knows it.
    selectNames({"c.ps"});
    m_browser->list()->setFocus();
    QVERIFY(!m_browser->isEditing());
    QTest::keyClick(m_browser->list(), Qt::Key_F2);
    QVERIFY(m_browser->isEditing());
}

void TestFolderBrowser::enterGoesToHandlerUnlessEditing()
{
    QVERIFY(m_browser->selectFolder(m_root + "/docs"));
    waitForRows(4);
    QList<QChar> keys;
    QList<bool> editing;
    m_browser->list()->setCharacterKeyHandler([&](QChar key) {
        keys.append(key);
        editing.append(m_browser->isEditing());
        return key == QChar(13) && !m_browser->isEditing();
    });
    selectNames({"a.ps"});
    QTest::keyClick(m_browser->list(), Qt::Key_Return);
    QTest::keyClick(m_browser->list(), Qt::Key_Enter);
    QTest::keyClick(m_browser->list(), Qt::Key_Q);
    QCOMPARE(keys, (QList<QChar>{QChar(13), QChar(13), QChar('q')}));

    // While a name is edited, Enter reaches the handler as an edit's Enter
    // and goes on to commit the name.
    QTest::keyClick(m_browser->list(), Qt::Key_F2);
    QVERIFY(m_browser->isEditing());
    auto* editor = m_browser->list()->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->setText("z.ps");
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(editing, (QList<bool>{false, false, false, true}));
    QTRY_VERIFY(QFile::exists(m_root + "/docs/z.ps"));
}

void TestFolderBrowser::copyCutPaste()
{
    QVERIFY(m_browser->selectFolder(m_root + "/docs"));
    waitForRows(4);
    auto* list = m_browser->list();

    // Copy a.ps and paste it into its own folder: a second name, no loss.
    selectNames({"a.ps"});
    QTest::keySequence(list, QKeySequence::Copy);
    QVERIFY(QApplication::clipboard()->mimeData()->hasUrls());
    QTest::keySequence(list, QKeySequence::Paste);
    QCOMPARE(readFile(m_root + "/docs/a (copie).ps"), QByteArray("%!\n"));
    QTest::keySequence(list, QKeySequence::Paste);
    QVERIFY(QFile::exists(m_root + "/docs/a (copie 2).ps"));

    // Cut c.ps and the sub folder, paste them into another folder.
    selectNames({"c.ps", "sub dir é"});
    QVERIFY(writeFile(m_root + "/docs/sub dir é/inner.ps", "in"));
    QTest::keySequence(list, QKeySequence::Cut);
    QVERIFY(m_browser->selectFolder(m_root + "/other"));
    QTest::keySequence(list, QKeySequence::Paste);
    QVERIFY(!QFile::exists(m_root + "/docs/c.ps"));
    QCOMPARE(readFile(m_root + "/other/c.ps"), QByteArray("%!\n"));
    QCOMPARE(readFile(m_root + "/other/sub dir é/inner.ps"), QByteArray("in"));
    QVERIFY(m_boxes.isEmpty());

    // A folder is not pasted into itself.
    const QStringList failed =
        mainwin::paste({{m_root + "/other"}, false}, m_root + "/other/sub dir é");
    QCOMPARE(failed, QStringList{m_root + "/other"});
    // Nor into itself through a link that leads there.
    QVERIFY(QFile::link(m_root + "/other/sub dir é", m_root + "/into-sub"));
    QCOMPARE(mainwin::paste({{m_root + "/other"}, false}, m_root + "/into-sub"),
             QStringList{m_root + "/other"});
    QVERIFY(!QFileInfo::exists(m_root + "/other/sub dir é/other"));
    // A link to a folder above is copied as the link it is.
    QVERIFY(QFile::link(m_root + "/other", m_root + "/to-other"));
    QCOMPARE(mainwin::paste({{m_root + "/to-other"}, false}, m_root + "/other/sub dir é"),
             QStringList());
    QCOMPARE(QFileInfo(m_root + "/other/sub dir é/to-other").symLinkTarget(), m_root + "/other");
    // A vanished source is reported, the rest is pasted.
    const QStringList missing = mainwin::paste(
        {{m_root + "/docs/none.ps", m_root + "/docs/README"}, false}, m_root + "/other");
    QCOMPARE(missing, QStringList{m_root + "/docs/none.ps"});
    QVERIFY(QFile::exists(m_root + "/other/README"));

    const mainwin::Clip clip = mainwin::readClipData(mainwin::makeClipData({{"/a b/é.ps"}, true}));
    QCOMPARE(clip.paths, QStringList{"/a b/é.ps"});
    QVERIFY(clip.cut);
}

void TestFolderBrowser::movedFolderArrivesUnchanged_data()
{
    QTest::addColumn<QString>("targetBase");
    QTest::newRow("same file system") << QString();
    // Another file system is copied entry by entry, then the source deleted.
    if (QFileInfo("/dev/shm").isDir() && QFileInfo("/dev/shm").isWritable())
        QTest::newRow("other file system") << "/dev/shm";
}

void TestFolderBrowser::movedFolderArrivesUnchanged()
{
    QFETCH(QString, targetBase);
    QTemporaryDir target((targetBase.isEmpty() ? m_root : targetBase) + "/paste-XXXXXX");
    const QString source = m_root + "/projet";
    QVERIFY(writeFile(source + "/main.ps", QByteArray(300000, 'm')));
    QVERIFY(QFile::setPermissions(source + "/main.ps", QFile::ReadOwner | QFile::ReadGroup));
    QVERIFY(writeFile(source + "/pages/page1.ps", "p1"));
    QVERIFY(::symlink("../main.ps", QFile::encodeName(source + "/pages/main").constData()) == 0);
    QVERIFY(::symlink("gone/x.ps", QFile::encodeName(source + "/pages/dangling").constData()) == 0);
    QVERIFY(::symlink("/etc/hostname", QFile::encodeName(source + "/absolute").constData()) == 0);
    const QStringList entries = {"absolute",   "main.ps",        "pages",
                                 "pages/main", "pages/dangling", "pages/page1.ps"};
    time_t day = 981158400; // 3 February 2001
    for (const QString& entry : entries)
        QVERIFY2(makeOld(source + "/" + entry, day += 86400), qPrintable(entry));
    QVERIFY(makeOld(source, day += 86400));
    QMap<QString, struct stat> before;
    for (const QString& entry : entries + QStringList{QString()})
        before[entry] = entryInfo(source + "/" + entry);

    QCOMPARE(mainwin::paste({{source}, true}, target.path()), QStringList());
    QVERIFY(!QFileInfo::exists(source));
    const QString moved = target.path() + "/projet";
    // Links hold the same text, so relative ones still lead inside.
    QCOMPARE(linkText(moved + "/pages/main"), QByteArray("../main.ps"));
    QCOMPARE(readFile(moved + "/pages/main"), QByteArray(300000, 'm'));
    QCOMPARE(linkText(moved + "/pages/dangling"), QByteArray("gone/x.ps"));
    QCOMPARE(linkText(moved + "/absolute"), QByteArray("/etc/hostname"));
    QCOMPARE(readFile(moved + "/pages/page1.ps"), QByteArray("p1"));
    for (const QString& entry : entries + QStringList{QString()}) {
        const struct stat after = entryInfo(moved + "/" + entry);
        QCOMPARE(after.st_mode, before[entry].st_mode);
        QCOMPARE(after.st_mtim.tv_sec, before[entry].st_mtim.tv_sec);
        QCOMPARE(after.st_mtim.tv_nsec, before[entry].st_mtim.tv_nsec);
    }
    // Nothing else arrived: no temporary names left behind.
    QCOMPARE(QDir(moved).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                   QDir::NoDotAndDotDot),
             (QStringList{"absolute", "main.ps", "pages"}));
}

void TestFolderBrowser::listShowsFinalSizeAndDate()
{
    // A file that another program is still writing when it appears.
    QVERIFY(m_browser->selectFolder(m_root + "/docs"));
    waitForRows(4);
    QFile file(m_root + "/docs/growing.ps");
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write("%!\n") == 3 && file.flush());
    auto* model = m_browser->listModel();
    QTRY_COMPARE(model->size(model->index(file.fileName())), qint64(3));
    const QDateTime firstSeen = model->lastModified(model->index(file.fileName()));
    QTest::qWait(1100);
    for (int i = 0; i < 20; ++i)
        QVERIFY(file.write(QByteArray(100000, 'x')) == 100000 && file.flush());
    file.close();
    QTRY_COMPARE(model->size(model->index(file.fileName())), qint64(2000003));
    QVERIFY(model->lastModified(model->index(file.fileName())) > firstSeen);
}

void TestFolderBrowser::trashAsksFirst()
{
    // Keep the trash inside the sandbox.
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_root + "/share"));
    QVERIFY(QDir().mkpath(m_root + "/share"));
    QVERIFY(m_browser->selectFolder(m_root + "/docs"));
    waitForRows(4);
    selectNames({"a.ps", "c.ps"});

    m_answer = platform::MsgAnswer::No;
    QTest::keyClick(m_browser->list(), Qt::Key_Delete);
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes.first().icon, platform::MsgIcon::Question);
    QVERIFY(m_boxes.first().text.contains("2"));
    QVERIFY(QFile::exists(m_root + "/docs/a.ps"));

    m_answer = platform::MsgAnswer::Yes;
    QTest::keyClick(m_browser->list(), Qt::Key_Delete);
    QCOMPARE(m_boxes.size(), 2);
    QVERIFY(!QFile::exists(m_root + "/docs/a.ps"));
    QVERIFY(!QFile::exists(m_root + "/docs/c.ps"));
    QVERIFY(QFile::exists(m_root + "/docs/b.PRN"));
    QCOMPARE(QDir(m_root + "/share/Trash/files").entryList(QDir::Files),
             (QStringList{"a.ps", "c.ps"}));

    // Where no trash can be made the file stays, and the user is told.
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_root + "/docs/README/share"));
    selectNames({"b.PRN"});
    QTest::keyClick(m_browser->list(), Qt::Key_Delete);
    QCOMPARE(m_boxes.size(), 4);
    QCOMPARE(m_boxes.last().text,
             QStringLiteral("Aucune corbeille ne peut recevoir « b.PRN » : l'élément reste à sa "
                            "place."));
    QVERIFY(QFile::exists(m_root + "/docs/b.PRN"));
}

QTEST_MAIN(TestFolderBrowser)
#include "tst_folderbrowser.moc"
