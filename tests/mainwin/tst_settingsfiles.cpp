// folders.dat and options.dat: their byte formats, and how saving
// replaces them.

#include "mainwin/SettingsFiles.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace mainwin;

using testsupport::readFile;
using testsupport::writeFile;

class TestSettingsFiles : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { useSandboxConfig(); }

    void folderLines_data();
    void folderLines();
    void folderLinesWriteBack();
    void accentedFoldersRoundTrip();

    void pageSizeBytes();
    void pageSizeShortAndLong_data();
    void pageSizeShortAndLong();

    void missingFilesLoadNothing();
    void saveReplacesWholeFile();
    void plantedNamesAreNotWrittenThrough_data();
    void plantedNamesAreNotWrittenThrough();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();
    void unwritablePlacesSaveNothing();

private:
    // No test here may reach the settings of the user who runs it.
    void useSandboxConfig() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path())); }

    QTemporaryDir m_config;
};

void TestSettingsFiles::folderLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArrayList>("entries");

    QTest::newRow("empty file") << QByteArray() << QByteArrayList();
    QTest::newRow("crlf") << QByteArray("/a/\r\n/b/\r\n") << QByteArrayList{"/a/", "/b/"};
    QTest::newRow("no final line end") << QByteArray("/a/\r\n/b/") << QByteArrayList{"/a/", "/b/"};
    QTest::newRow("trailing empty line") << QByteArray("/a/\r\n\r\n") << QByteArrayList{"/a/", ""};
    QTest::newRow("empty lines between")
        << QByteArray("\r\n/a/\r\n\r\n/b/\r\n") << QByteArrayList{"", "/a/", "", "/b/"};
    QTest::newRow("lone lf stays in the entry")
        << QByteArray("/a/\n/b/\n") << QByteArrayList{"/a/\n/b/\n"};
    QTest::newRow("lone cr ends a line")
        << QByteArray("/a/\r/b/\r") << QByteArrayList{"/a/", "/b/"};
    QTest::newRow("lf after lf after cr")
        << QByteArray("/a/\r\n\n/b/") << QByteArrayList{"/a/", "\n/b/"};
    QTest::newRow("ctrl-z ends the file")
        << QByteArray("/a/\r\n/b/\x1a/c/\r\n") << QByteArrayList{"/a/", "/b/"};
    QTest::newRow("ctrl-z first") << QByteArray("\x1a/a/\r\n") << QByteArrayList();
    QTest::newRow("blanks kept") << QByteArray(" /a/ \r\n") << QByteArrayList{" /a/ "};
    QTest::newRow("duplicates kept")
        << QByteArray("/a/\r\n/a/\r\n") << QByteArrayList{"/a/", "/a/"};
    const QByteArray longLine(100000, 'x');
    QTest::newRow("long line read whole") << (longLine + "\r\n") << QByteArrayList{longLine};
}

void TestSettingsFiles::folderLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArrayList, entries);
    QCOMPARE(mainwin::parseFolderLines(bytes), entries);
}

void TestSettingsFiles::folderLinesWriteBack()
{
    QCOMPARE(mainwin::formatFolderLines({}), QByteArray());
    QCOMPARE(mainwin::formatFolderLines({"/Docs/", "/Print/"}),
             QByteArray("/Docs/\r\n/Print/\r\n"));
    // An empty entry comes back as an empty line; a missing last line end
    // is added.
    QCOMPARE(mainwin::formatFolderLines(mainwin::parseFolderLines("/a/\r\n\r\n")),
             QByteArray("/a/\r\n\r\n"));
    QCOMPARE(mainwin::formatFolderLines(mainwin::parseFolderLines("/a/\r\n/b/")),
             QByteArray("/a/\r\n/b/\r\n"));
}

void TestSettingsFiles::accentedFoldersRoundTrip()
{
    QTemporaryDir dir;
    const QString program = dir.path() + '/';
    const QString accented = QStringLiteral("/home/zoé/Été \"2003\"/");
    const QByteArrayList folders{mainwin::folderLine(accented), "/x y/"};
    QVERIFY(mainwin::savePrefFolders(program, folders));
    QCOMPARE(readFile(program + "folders.dat"),
             QByteArray("/home/zo\xc3\xa9/\xc3\x89t\xc3\xa9 \"2003\"/\r\n/x y/\r\n"));
    QCOMPARE(mainwin::loadPrefFolders(program).value(), folders);
    QCOMPARE(mainwin::folderText(folders.first()), accented);
    // A line that is no UTF-8 came from a system that wrote Windows-1252.
    QCOMPARE(mainwin::folderText("/home/zo\xe9/\x80 \x9c/"), QStringLiteral("/home/zoé/€ œ/"));
}

void TestSettingsFiles::pageSizeBytes()
{
    const QByteArray a4 = QByteArray::fromHex("0000000000406a400000000000907240");
    QCOMPARE(mainwin::formatPageSize(210.0, 297.0), a4);
    const mainwin::StoredPageSize read = mainwin::parsePageSize(a4);
    QCOMPARE(read.widthMm.value(), 210.0);
    QCOMPARE(read.heightMm.value(), 297.0);

    // Values out of the fields' range are read as they are; the fields
    // clamp them.
    const mainwin::StoredPageSize odd = mainwin::parsePageSize(mainwin::formatPageSize(-3, 1e9));
    QCOMPARE(odd.widthMm.value(), -3.0);
    QCOMPARE(odd.heightMm.value(), 1e9);
    const mainwin::StoredPageSize nan =
        mainwin::parsePageSize(mainwin::formatPageSize(std::nan(""), 5));
    QVERIFY(!nan.widthMm.has_value());
    QCOMPARE(nan.heightMm.value(), 5.0);
}

void TestSettingsFiles::pageSizeShortAndLong_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("hasWidth");
    QTest::addColumn<bool>("hasHeight");
    const QByteArray full = mainwin::formatPageSize(100.5, 200.25);
    QTest::newRow("0 bytes") << QByteArray() << false << false;
    QTest::newRow("7 bytes") << full.left(7) << false << false;
    QTest::newRow("8 bytes") << full.left(8) << true << false;
    QTest::newRow("15 bytes") << full.left(15) << true << false;
    QTest::newRow("16 bytes") << full << true << true;
    QTest::newRow("20 bytes") << (full + "abcd") << true << true;
}

void TestSettingsFiles::pageSizeShortAndLong()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, hasWidth);
    QFETCH(bool, hasHeight);
    QTemporaryDir dir;
    const QString program = dir.path() + '/';
    QVERIFY(writeFile(program + "options.dat", bytes));
    const auto read = mainwin::loadPageSize(program);
    QVERIFY(read.has_value());
    QCOMPARE(read->widthMm.has_value(), hasWidth);
    QCOMPARE(read->heightMm.has_value(), hasHeight);
    if (hasWidth)
        QCOMPARE(*read->widthMm, 100.5);
    if (hasHeight)
        QCOMPARE(*read->heightMm, 200.25);
    // A short file leaves the next saves working.
    QVERIFY(mainwin::savePageSize(program, 10, 20));
    QCOMPARE(readFile(program + "options.dat"), mainwin::formatPageSize(10, 20));
    QVERIFY(mainwin::savePrefFolders(program, {"/a/"}));
}

void TestSettingsFiles::missingFilesLoadNothing()
{
    QTemporaryDir dir;
    const QString program = dir.path() + '/';
    QVERIFY(!mainwin::loadPrefFolders(program).has_value());
    QVERIFY(!mainwin::loadPageSize(program).has_value());
    QVERIFY(writeFile(program + "folders.dat", ""));
    QCOMPARE(mainwin::loadPrefFolders(program).value(), QByteArrayList());
    // Loading never creates anything.
    QVERIFY(!QFile::exists(program + "options.dat"));
}

void TestSettingsFiles::saveReplacesWholeFile()
{
    QTemporaryDir dir;
    const QString program = dir.path() + '/';
    QVERIFY(writeFile(program + "folders.dat", QByteArray(5000, 'z')));
    QVERIFY(writeFile(program + "options.dat", QByteArray(64, 'z')));
    QVERIFY(mainwin::savePrefFolders(program, {"/b/"}));
    QVERIFY(mainwin::savePageSize(program, 100.5, 200.25));
    QCOMPARE(readFile(program + "folders.dat"), QByteArray("/b/\r\n"));
    QCOMPARE(readFile(program + "options.dat").size(), 16);
    QVERIFY(mainwin::savePrefFolders(program, {}));
    QCOMPARE(readFile(program + "folders.dat"), QByteArray());
    // Nothing is left beside the two files.
    QCOMPARE(QDir(program).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
             (QStringList{"folders.dat", "options.dat"}));
}

void TestSettingsFiles::plantedNamesAreNotWrittenThrough_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("symbolic");
    QTest::newRow("link as folders.dat") << "folders.dat" << true;
    QTest::newRow("link as the replacement") << "folders.dat.new" << true;
    QTest::newRow("second name as the replacement") << "folders.dat.new" << false;
}

void TestSettingsFiles::plantedNamesAreNotWrittenThrough()
{
    QFETCH(QString, name);
    QFETCH(bool, symbolic);
    // Everybody who starts the program shares its folder: a name planted
    // there must not lead a save into somebody else's file.
    QTemporaryDir dir;
    const QString program = dir.path() + "/program/";
    const QString victim = dir.path() + "/victim";
    QVERIFY(writeFile(victim, "secret"));
    QVERIFY(QDir().mkpath(program));
    QVERIFY(symbolic ? QFile::link(victim, program + name)
                     : ::link(QFile::encodeName(victim), QFile::encodeName(program + name)) == 0);
    QVERIFY(mainwin::savePrefFolders(program, {"/b/"}));
    QCOMPARE(readFile(victim), QByteArray("secret"));
    QCOMPARE(readFile(program + "folders.dat"), QByteArray("/b/\r\n"));
    QVERIFY(!QFileInfo(program + "folders.dat").isSymLink());
    QCOMPARE(
        QDir(program).entryList(QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList{"folders.dat"});
}

void TestSettingsFiles::failedSaveKeepsOldFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("room");
    QTest::addColumn<bool>("killed");
    QTest::addColumn<QByteArray>("before");

    // 185 lines of 38 bytes: about 7 KB.
    QByteArrayList folders;
    for (int i = 0; i < 185; ++i)
        folders.append("/home/camille/Documents/dossier " + QByteArray::number(100 + i) + '/');
    const QByteArray sevenKb = mainwin::formatFolderLines(folders);
    const QByteArray size = mainwin::formatPageSize(148.5, 210);
    QTest::newRow("folders.dat, disk full") << "folders.dat" << 0 << false << sevenKb;
    QTest::newRow("folders.dat, 4096 bytes left") << "folders.dat" << 4096 << false << sevenKb;
    QTest::newRow("folders.dat, killed while writing") << "folders.dat" << 4096 << true << sevenKb;
    QTest::newRow("options.dat, disk full") << "options.dat" << 0 << false << size;
    QTest::newRow("options.dat, room for the width") << "options.dat" << 8 << false << size;
    QTest::newRow("options.dat, killed while writing") << "options.dat" << 8 << true << size;
}

void TestSettingsFiles::failedSaveKeepsOldFile()
{
    QFETCH(QString, name);
    QFETCH(int, room);
    QFETCH(bool, killed);
    QFETCH(QByteArray, before);
    QTemporaryDir dir;
    const QString program = dir.path() + '/';
    QVERIFY(writeFile(program + name, before));
    const auto save = [&] {
        QByteArrayList more;
        for (int i = 0; i < 250; ++i)
            more.append("/srv/partage/impressions/lot " + QByteArray::number(i) + '/');
        return name == "folders.dat" ? mainwin::savePrefFolders(program, more)
                                     : mainwin::savePageSize(program, 100.5, 200.25);
    };
    const auto files = [&] {
        return QDir(program).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    };

    // The save runs in a child whose files may not grow beyond `room`: a
    // write past it fails with EFBIG after writing what fits, as on a full
    // disk, or the limit's signal kills the child in the middle of it.
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, killed ? SIG_DFL : SIG_IGN);
        const rlimit limit{rlim_t(room), RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(save() ? 1 : 0);
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    if (killed) {
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(WTERMSIG(status), SIGXFSZ);
    } else {
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0); // the save reported its failure
        QCOMPARE(files(), QStringList{name});
    }
    QCOMPARE(readFile(program + name), before);
    // The next save succeeds and leaves nothing of the failed one behind.
    QVERIFY(save());
    QCOMPARE(files(), QStringList{name});
}

void TestSettingsFiles::unwritablePlacesSaveNothing()
{
    // Neither the program's folder nor the user's can take the files: no
    // folder may be made below /proc, root included.
    qputenv("XDG_CONFIG_HOME", "/proc/folivant-test-config");
    const auto restore = qScopeGuard([this] { useSandboxConfig(); });
    QVERIFY(!mainwin::savePrefFolders(QStringLiteral("/proc/"), {"/new/"}));
    QVERIFY(!mainwin::savePageSize(QStringLiteral("/proc/"), 3, 4));
    QVERIFY(!QFile::exists(QStringLiteral("/proc/folders.dat")));

    QTemporaryDir dir;
    const QString program = dir.path() + '/';
    QVERIFY(writeFile(program + "folders.dat", "/old/\r\n"));
    QVERIFY(writeFile(program + "options.dat", mainwin::formatPageSize(1, 2)));

    // A read-only file in a writable folder stays as it is.
    if (!QFileInfo(QDir::rootPath()).isWritable()) {
        QFile::setPermissions(program + "folders.dat", QFile::ReadOwner);
        QVERIFY(!mainwin::savePrefFolders(program, {"/new/"}));
        QCOMPARE(readFile(program + "folders.dat"), QByteArray("/old/\r\n"));
        QFile::setPermissions(program + "folders.dat", QFile::ReadOwner | QFile::WriteOwner);
    }

    // The folder itself missing.
    QVERIFY(!mainwin::savePageSize(program + "gone/", 3, 4));

    // A read-only folder: nothing is saved, nothing is left behind.
    {
        const testsupport::ReadOnlyFolder readOnly(dir.path());
        if (!readOnly.failure().isEmpty())
            QSKIP(qPrintable("no read-only folder: " + readOnly.failure()));
        QVERIFY(!mainwin::savePrefFolders(program, {"/new/"}));
        QVERIFY(!mainwin::savePageSize(program, 3, 4));
    }
    QCOMPARE(readFile(program + "folders.dat"), QByteArray("/old/\r\n"));
    QCOMPARE(readFile(program + "options.dat"), mainwin::formatPageSize(1, 2));
    QCOMPARE(QDir(program).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot).size(), 2);
}

QTEST_GUILESS_MAIN(TestSettingsFiles)
#include "tst_settingsfiles.moc"
