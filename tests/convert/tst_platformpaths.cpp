// Program folder, short names and the opener.

#include "platform/ProgramPath.h"
#include "platform/ShellOpen.h"
#include "platform/ShortPath.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TestPlatformPaths : public QObject
{
    Q_OBJECT
private slots:
    void programFolderIsTheExecutables();
    void shortPathName();
    void shellOpenHandsOverTheName();
};

void TestPlatformPaths::programFolderIsTheExecutables()
{
    // Not the current directory: the tests run from elsewhere.
    QTemporaryDir elsewhere;
    const QString old = QDir::currentPath();
    QDir::setCurrent(elsewhere.path());
    const QString folder = platform::programFolder();
    QDir::setCurrent(old);
    QVERIFY(folder.endsWith('/'));
    QCOMPARE(folder, QDir(QCoreApplication::applicationDirPath()).canonicalPath() + "/");
}

void TestPlatformPaths::shortPathName()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("un nom \"cité\" 'é'.ps");
    QVERIFY(testsupport::writeFile(file, "x"));
    QCOMPARE(platform::shortPathName(file), file);
    QCOMPARE(platform::shortPathName(dir.path()), dir.path());
    QCOMPARE(platform::shortPathName(dir.filePath("absent.ps")), QString());
    QCOMPARE(platform::shortPathName(QString()), QString());
    QVERIFY(QFile::link(dir.filePath("absent.ps"), dir.filePath("dangling")));
    QCOMPARE(platform::shortPathName(dir.filePath("dangling")), QString());
}

void TestPlatformPaths::shellOpenHandsOverTheName()
{
    testsupport::RecordingOpener opener;
    const QString name = "/tmp/a folder/l'été \"x\".pdf";
    platform::shellOpen(name);
    QCOMPARE(opener.calls(1), QStringList{name});
    platform::shellOpen("--version.pdf"); // a relative name, not an option
    QCOMPARE(opener.calls(2).value(1), QString("./--version.pdf"));
}

QTEST_GUILESS_MAIN(TestPlatformPaths)
#include "tst_platformpaths.moc"
