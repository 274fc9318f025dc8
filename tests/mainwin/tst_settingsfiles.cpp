// folders.dat and options.dat: their byte formats, and how saving
// replaces them.

#include "mainwin/SettingsFiles.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

using testsupport::readFile;
using testsupport::writeFile;

class TestSettingsFiles : public QObject
{
    Q_OBJECT
private slots:
    void folderLines_data();
    void folderLines();
    void folderLinesWriteBack();
    void accentedFoldersRoundTrip();

    void pageSizeBytes();
    void pageSizeShortAndLong_data();
    void pageSizeShortAndLong();

    void missingFilesLoadNothing();
    void saveReplacesWholeFile();
    void unwritablePlacesSaveNothing();
};

void TestSettingsFiles::folderLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("entries");

    QTest::newRow("empty file") << QByteArray() << QStringList();
    QTest::newRow("crlf") << QByteArray("/a/\r\n/b/\r\n") << QStringList{"/a/", "/b/"};
    QTest::newRow("no final line end") << QByteArray("/a/\r\n/b/") << QStringList{"/a/", "/b/"};
    QTest::newRow("trailing empty line") << QByteArray("/a/\r\n\r\n") << QStringList{"/a/", ""};
    QTest::newRow("empty lines between")
        << QByteArray("\r\n/a/\r\n\r\n/b/\r\n") << QStringList{"", "/a/", "", "/b/"};
    QTest::newRow("lone lf stays in the entry")
        << QByteArray("/a/\n/b/\n") << QStringList{"/a/\n/b/\n"};
    QTest::newRow("lone cr ends a line") << QByteArray("/a/\r/b/\r") << QStringList{"/a/", "/b/"};
    QTest::newRow("lf after lf after cr")
        << QByteArray("/a/\r\n\n/b/") << QStringList{"/a/", "\n/b/"};
    QTest::newRow("ctrl-z ends the file")
        << QByteArray("/a/\r\n/b/\x1a/c/\r\n") << QStringList{"/a/", "/b/"};
    QTest::newRow("ctrl-z first") << QByteArray("\x1a/a/\r\n") << QStringList();
    QTest::newRow("blanks kept") << QByteArray(" /a/ \r\n") << QStringList{" /a/ "};
    QTest::newRow("duplicates kept") << QByteArray("/a/\r\n/a/\r\n") << QStringList{"/a/", "/a/"};
    const QByteArray longLine(100000, 'x');
    QTest::newRow("long line read whole")
        << (longLine + "\r\n") << QStringList{QString::fromLatin1(longLine)};
}

void TestSettingsFiles::folderLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, entries);
    QCOMPARE(settings::parseFolderLines(bytes), entries);
}

void TestSettingsFiles::folderLinesWriteBack()
{
    QCOMPARE(settings::formatFolderLines({}), QByteArray());
    QCOMPARE(settings::formatFolderLines({"/Docs/", "/Print/"}),
             QByteArray("/Docs/\r\n/Print/\r\n"));
    // An empty entry comes back as an empty line; a missing last line end
    // is added.
    QCOMPARE(settings::formatFolderLines(settings::parseFolderLines("/a/\r\n\r\n")),
             QByteArray("/a/\r\n\r\n"));
    QCOMPARE(settings::formatFolderLines(settings::parseFolderLines("/a/\r\n/b/")),
             QByteArray("/a/\r\n/b/\r\n"));
}

void TestSettingsFiles::accentedFoldersRoundTrip()
{
    QTemporaryDir dir;
    const QString program = dir.path() + '/';
    const QStringList folders{QStringLiteral("/home/zoé/Été \"2003\"/"), QStringLiteral("/x y/")};
    QVERIFY(settings::savePrefFolders(program, folders));
    QCOMPARE(readFile(program + "folders.dat"),
             QByteArray("/home/zo\xc3\xa9/\xc3\x89t\xc3\xa9 \"2003\"/\r\n/x y/\r\n"));
    QCOMPARE(settings::loadPrefFolders(program).value(), folders);
}

void TestSettingsFiles::pageSizeBytes()
{
    const QByteArray a4 = QByteArray::fromHex("0000000000406a400000000000907240");
    QCOMPARE(settings::formatPageSize(210.0, 297.0), a4);
    const settings::StoredPageSize read = settings::parsePageSize(a4);
    QCOMPARE(read.widthMm.value(), 210.0);
    QCOMPARE(read.heightMm.value(), 297.0);

    // Values out of the fields' range are read as they are; the fields
    // clamp them.
    const settings::StoredPageSize odd = settings::parsePageSize(settings::formatPageSize(-3, 1e9));
    QCOMPARE(odd.widthMm.value(), -3.0);
    QCOMPARE(odd.heightMm.value(), 1e9);
    const settings::StoredPageSize nan =
        settings::parsePageSize(settings::formatPageSize(std::nan(""), 5));
    QVERIFY(!nan.widthMm.has_value());
    QCOMPARE(nan.heightMm.value(), 5.0);
}

void TestSettingsFiles::pageSizeShortAndLong_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("hasWidth");
    QTest::addColumn<bool>("hasHeight");
    const QByteArray full = settings::formatPageSize(100.5, 200.25);
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
    const auto read = settings::loadPageSize(program);
    QVERIFY(read.has_value());
    QCOMPARE(read->widthMm.has_value(), hasWidth);
    QCOMPARE(read->heightMm.has_value(), hasHeight);
    if (hasWidth)
        QCOMPARE(*read->widthMm, 100.5);
    if (hasHeight)
        QCOMPARE(*read->heightMm, 200.25);
    // A short file leaves the next saves working.
    QVERIFY(settings::savePageSize(program, 10, 20));
    QCOMPARE(readFile(program + "options.dat"), settings::formatPageSize(10, 20));
    QVERIFY(settings::savePrefFolders(program, {"/a/"}));
}

void TestSettingsFiles::missingFilesLoadNothing()
{
    QTemporaryDir dir;
    const QString program = dir.path() + '/';
    QVERIFY(!settings::loadPrefFolders(program).has_value());
    QVERIFY(!settings::loadPageSize(program).has_value());
    QVERIFY(writeFile(program + "folders.dat", ""));
    QCOMPARE(settings::loadPrefFolders(program).value(), QStringList());
    // Loading never creates anything.
    QVERIFY(!QFile::exists(program + "options.dat"));
}

void TestSettingsFiles::saveReplacesWholeFile()
{
    QTemporaryDir dir;
    const QString program = dir.path() + '/';
    QVERIFY(writeFile(program + "folders.dat", QByteArray(5000, 'z')));
    QVERIFY(writeFile(program + "options.dat", QByteArray(64, 'z')));
    QVERIFY(settings::savePrefFolders(program, {"/b/"}));
    QVERIFY(settings::savePageSize(program, 100.5, 200.25));
    QCOMPARE(readFile(program + "folders.dat"), QByteArray("/b/\r\n"));
    QCOMPARE(readFile(program + "options.dat").size(), 16);
    QVERIFY(settings::savePrefFolders(program, {}));
    QCOMPARE(readFile(program + "folders.dat"), QByteArray());
    // Nothing is left beside the two files.
    QCOMPARE(QDir(program).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
             (QStringList{"folders.dat", "options.dat"}));
}

void TestSettingsFiles::unwritablePlacesSaveNothing()
{
    // A folder nobody may create files in, root included.
    QVERIFY(!settings::savePrefFolders(QStringLiteral("/proc/"), {"/new/"}));
    QVERIFY(!settings::savePageSize(QStringLiteral("/proc/"), 3, 4));
    QVERIFY(!QFile::exists(QStringLiteral("/proc/folders.dat")));

    if (QFileInfo(QDir::rootPath()).isWritable())
        QSKIP("permissions are not enforced for this user");
    QTemporaryDir dir;
    const QString program = dir.path() + '/';
    QVERIFY(writeFile(program + "folders.dat", "/old/\r\n"));
    QVERIFY(writeFile(program + "options.dat", settings::formatPageSize(1, 2)));

    // A read-only file in a writable folder stays as it is.
    QFile::setPermissions(program + "folders.dat", QFile::ReadOwner);
    QVERIFY(!settings::savePrefFolders(program, {"/new/"}));
    QCOMPARE(readFile(program + "folders.dat"), QByteArray("/old/\r\n"));

    // A read-only folder: nothing is saved, nothing is left behind.
    QFile::setPermissions(program + "folders.dat", QFile::ReadOwner | QFile::WriteOwner);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    QVERIFY(!settings::savePrefFolders(program, {"/new/"}));
    QVERIFY(!settings::savePageSize(program, 3, 4));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(readFile(program + "folders.dat"), QByteArray("/old/\r\n"));
    QCOMPARE(readFile(program + "options.dat"), settings::formatPageSize(1, 2));
    QCOMPARE(QDir(program).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot).size(), 2);

    // The folder itself missing.
    QVERIFY(!settings::savePageSize(program + "gone/", 3, 4));
}

QTEST_GUILESS_MAIN(TestSettingsFiles)
#include "tst_settingsfiles.moc"
