// The trash on real folders: the home trash made where the data folder is
// missing, the top-of-file-system trash on another file system, a refusal
// where there is none, and never a file left in the current folder.

#include "platform/Trash.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::TrashResult;
using testsupport::readFile;
using testsupport::writeFile;

class TestTrash : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void trashOrRefusal_data();
    void trashOrRefusal();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldCurrent;
    QList<QPair<const char*, QByteArray>> m_saved;
};

void TestTrash::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    for (const char* name : {"HOME", "XDG_DATA_HOME"})
        m_saved.append({name, qgetenv(name)});
    // Whatever goes wrong must not land beside the tests.
    m_oldCurrent = QDir::currentPath();
    QVERIFY(QDir().mkpath(m_dir->filePath("current")));
    QVERIFY(QDir::setCurrent(m_dir->filePath("current")));
}

void TestTrash::cleanup()
{
    QDir::setCurrent(m_oldCurrent);
    for (const auto& [name, value] : m_saved) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    m_saved.clear();
    m_dir.reset();
}

void TestTrash::trashOrRefusal_data()
{
    QTest::addColumn<QString>("home");       // relative to the sandbox; "-" unsets HOME
    QTest::addColumn<QString>("dataHome");   // relative to the sandbox; "-" unsets it
    QTest::addColumn<QString>("fileSystem"); // "home", "other", "other with .Trash"
    QTest::addColumn<QString>("trash");      // where it lands, relative; empty: refused
    QTest::addColumn<QString>("infoPath");   // Path= of the information file

    QTest::newRow("data home exists") << "home"
                                      << "home/.local/share"
                                      << "home"
                                      << "home/.local/share/Trash"
                                      << "";
    QTest::newRow("data home missing") << "home"
                                       << "fresh/data"
                                       << "home"
                                       << "fresh/data/Trash"
                                       << "";
    // The base-directory rules ignore a relative XDG_DATA_HOME.
    QTest::newRow("relative data home") << "fresh"
                                        << "relative"
                                        << "home"
                                        << "fresh/.local/share/Trash"
                                        << "";
    QTest::newRow("data home is a file") << "home"
                                         << "blocked/share"
                                         << "home" << QString() << "";
    QTest::newRow("no home at all") << "-"
                                    << "-"
                                    << "home" << QString() << "";
    QTest::newRow("other file system")
        << "home"
        << "home/.local/share"
        << "other"
        << "mnt/.Trash-" + QString::number(::getuid()) << "docs/report.ps";
    QTest::newRow("other file system, shared trash")
        << "home"
        << "home/.local/share"
        << "other with .Trash"
        << "mnt/.Trash/" + QString::number(::getuid()) << "docs/report.ps";
}

void TestTrash::trashOrRefusal()
{
    QFETCH(QString, home);
    QFETCH(QString, dataHome);
    QFETCH(QString, fileSystem);
    QFETCH(QString, trash);
    QFETCH(QString, infoPath);
    const QString box = m_dir->path();
    QVERIFY(QDir().mkpath(box + "/home/.local/share"));
    QVERIFY(writeFile(box + "/blocked", "a file, not a folder"));
    if (home == "-")
        qunsetenv("HOME");
    else
        qputenv("HOME", QFile::encodeName(box + "/" + home));
    if (dataHome == "-")
        qunsetenv("XDG_DATA_HOME");
    else if (dataHome == "relative")
        qputenv("XDG_DATA_HOME", "relative/share");
    else
        qputenv("XDG_DATA_HOME", QFile::encodeName(box + "/" + dataHome));

    QString folder = box + "/home/docs";
    bool mounted = false;
    if (fileSystem != "home") {
        if (::geteuid() != 0)
            QSKIP("mounting another file system needs root");
        QVERIFY(QDir().mkpath(box + "/mnt"));
        QVERIFY(::mount("tmpfs", QFile::encodeName(box + "/mnt").constData(), "tmpfs", 0,
                        "size=1m,mode=0777") == 0);
        mounted = true;
        if (fileSystem == "other with .Trash")
            QVERIFY(QDir().mkpath(box + "/mnt/.Trash") &&
                    ::chmod(QFile::encodeName(box + "/mnt/.Trash").constData(), 01777) == 0);
        folder = box + "/mnt/docs";
    }
    const QString file = folder + "/report.ps";
    QVERIFY(writeFile(file, "%!PS\n"));
    const TrashResult result = platform::moveToTrash(file);
    const QByteArray info = readFile(box + "/" + trash + "/info/report.ps.trashinfo");
    const bool moved = QFileInfo::exists(box + "/" + trash + "/files/report.ps");
    const bool stayed = QFileInfo::exists(file);
    if (mounted)
        ::umount2(QFile::encodeName(box + "/mnt").constData(), MNT_DETACH);

    // Never in the current folder, whatever happened.
    QCOMPARE(QDir::current().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
    if (trash.isEmpty()) {
        QCOMPARE(result, TrashResult::NoTrash);
        QVERIFY(stayed);
        return;
    }
    QCOMPARE(result, TrashResult::Moved);
    QVERIFY(moved);
    QVERIFY(!stayed);
    const QString expectedPath = infoPath.isEmpty() ? file : infoPath;
    QVERIFY2(info.startsWith("[Trash Info]\nPath=" + QUrl::toPercentEncoding(expectedPath, "/") +
                             "\nDeletionDate="),
             info.constData());
    // A trash made for the user is the user's alone.
    if (!mounted)
        QCOMPARE(QFileInfo(box + "/" + trash).permissions() & 0x0077, QFile::Permissions());
}

QTEST_GUILESS_MAIN(TestTrash)
#include "tst_trash.moc"
