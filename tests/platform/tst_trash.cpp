// The trash on real folders: the home trash made where the data folder is
// missing, the top-of-file-system trash on another file system, a refusal
// where there is none, names kept through the information file, moves that
// fail once that file is written, and never a file left in the current
// folder.

#include "platform/Trash.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::TrashResult;
Q_DECLARE_METATYPE(TrashResult)
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
    QTest::addColumn<QString>("name");       // of the entry trashed, in docs/
    // "leftover": files/ already holds that name; "busy": the entry cannot
    // be moved; "full disk": no room for the information file.
    QTest::addColumn<QString>("planted");
    QTest::addColumn<TrashResult>("result");
    QTest::addColumn<QString>("trash");     // where it lands, relative to the sandbox
    QTest::addColumn<QString>("trashName"); // its name there
    // Path= of the information file as stored, the sandbox written "BOX".
    QTest::addColumn<QByteArray>("infoPath");

    const QString uid = QString::number(::getuid());
    const QString homeTrash = "home/.local/share/Trash";
    QTest::newRow("data home exists") << "home"
                                      << "home/.local/share"
                                      << "home"
                                      << "report.ps"
                                      << "" << TrashResult::Moved << homeTrash << "report.ps"
                                      << QByteArray("BOX/home/docs/report.ps");
    QTest::newRow("data home missing") << "home"
                                       << "fresh/data"
                                       << "home"
                                       << "report.ps"
                                       << "" << TrashResult::Moved << "fresh/data/Trash"
                                       << "report.ps" << QByteArray("BOX/home/docs/report.ps");
    // The base-directory rules ignore a relative XDG_DATA_HOME.
    QTest::newRow("relative data home") << "fresh"
                                        << "relative"
                                        << "home"
                                        << "report.ps"
                                        << "" << TrashResult::Moved << "fresh/.local/share/Trash"
                                        << "report.ps" << QByteArray("BOX/home/docs/report.ps");
    QTest::newRow("data home is a file") << "home"
                                         << "blocked/share"
                                         << "home"
                                         << "report.ps"
                                         << "" << TrashResult::NoTrash << ""
                                         << "" << QByteArray();
    QTest::newRow("no home at all") << "-"
                                    << "-"
                                    << "home"
                                    << "report.ps"
                                    << "" << TrashResult::NoTrash << ""
                                    << "" << QByteArray();
    QTest::newRow("other file system") << "home"
                                       << "home/.local/share"
                                       << "other"
                                       << "report.ps"
                                       << "" << TrashResult::Moved << "mnt/.Trash-" + uid
                                       << "report.ps" << QByteArray("docs/report.ps");
    QTest::newRow("other file system, shared trash")
        << "home"
        << "home/.local/share"
        << "other with .Trash"
        << "report.ps"
        << "" << TrashResult::Moved << "mnt/.Trash/" + uid << "report.ps"
        << QByteArray("docs/report.ps");
    // Escaped as in URLs, on the file system's bytes (UTF-8 here).
    QTest::newRow("blanks, % and accents")
        << "home"
        << "home/.local/share"
        << "home"
        << "Rapport 100% été.ps"
        << "" << TrashResult::Moved << homeTrash << "Rapport 100% été.ps"
        << QByteArray("BOX/home/docs/Rapport%20100%25%20%C3%A9t%C3%A9.ps");
    // A file left in files/ without its information takes the name: the
    // move fails once the information is written, and the next name is used.
    QTest::newRow("name taken in files/") << "home"
                                          << "home/.local/share"
                                          << "home"
                                          << "report.ps"
                                          << "leftover" << TrashResult::Moved << homeTrash
                                          << "report.ps.2" << QByteArray("BOX/home/docs/report.ps");
    QTest::newRow("entry that cannot be moved")
        << "home"
        << "home/.local/share"
        << "home"
        << "busy"
        << "busy" << TrashResult::Failed << homeTrash << "" << QByteArray();
    QTest::newRow("no room for the information")
        << "home"
        << "home/.local/share"
        << "home"
        << "report.ps"
        << "full disk" << TrashResult::Failed << homeTrash << "" << QByteArray();
}

void TestTrash::trashOrRefusal()
{
    QFETCH(QString, home);
    QFETCH(QString, dataHome);
    QFETCH(QString, fileSystem);
    QFETCH(QString, name);
    QFETCH(QString, planted);
    QFETCH(TrashResult, result);
    QFETCH(QString, trash);
    QFETCH(QString, trashName);
    QFETCH(QByteArray, infoPath);
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

    QString top = box + "/home";
    QStringList mounts;
    const auto mountTmpfs = [&mounts](const QString& folder) {
        if (!QDir().mkpath(folder) || ::mount("tmpfs", QFile::encodeName(folder).constData(),
                                              "tmpfs", 0, "size=1m,mode=0777") != 0)
            return false;
        mounts.prepend(folder);
        return true;
    };
    const auto unmountAll = [&mounts] {
        for (const QString& folder : mounts)
            ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
        mounts.clear();
    };
    if (fileSystem != "home") {
        if (::geteuid() != 0)
            QSKIP("mounting another file system needs root");
        QVERIFY(mountTmpfs(box + "/mnt"));
        if (fileSystem == "other with .Trash")
            QVERIFY(QDir().mkpath(box + "/mnt/.Trash") &&
                    ::chmod(QFile::encodeName(box + "/mnt/.Trash").constData(), 01777) == 0);
        top = box + "/mnt";
    }
    const QString file = top + "/docs/" + name;
    QVERIFY(writeFile(top + "/docs/.keep", ""));
    const QString trashFolder = box + "/" + trash;
    if (planted == "leftover")
        QVERIFY(writeFile(trashFolder + "/files/" + name, "an older one"));
    if (planted == "busy") {
        // A mount point cannot be renamed, not even by root; without root a
        // folder that may not be changed keeps its entries the same way.
        if (::geteuid() == 0)
            QVERIFY(mountTmpfs(file));
        else
            QVERIFY(QDir().mkpath(file) && QDir().mkpath(trashFolder + "/files") &&
                    QDir().mkpath(trashFolder + "/info") &&
                    QFile::setPermissions(top + "/docs", QFile::ReadOwner | QFile::ExeOwner));
    } else {
        QVERIFY(writeFile(file, "%!PS\n"));
    }

    struct rlimit oldLimit;
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &oldLimit) == 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (planted == "full disk") {
        struct rlimit limited = oldLimit;
        limited.rlim_cur = 10;
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &limited) == 0);
    }
    const TrashResult got = platform::moveToTrash(file);
    ::setrlimit(RLIMIT_FSIZE, &oldLimit);
    std::signal(SIGXFSZ, oldHandler);

    const QByteArray info = readFile(trashFolder + "/info/" + trashName + ".trashinfo");
    const QStringList infoFiles = QDir(trashFolder + "/info").entryList(QDir::Files | QDir::Hidden);
    const bool moved = QFileInfo::exists(trashFolder + "/files/" + trashName);
    const bool stayed = QFileInfo::exists(file);
    // Restored as the desktop's trash view does it: to the place Path= names.
    QByteArray place;
    const QByteArray prefix = "[Trash Info]\nPath=";
    if (info.startsWith(prefix))
        place = QByteArray::fromPercentEncoding(info.mid(prefix.size()).split('\n').first());
    if (!place.startsWith('/'))
        place = QFile::encodeName(top) + '/' + place;
    const bool restored =
        moved && QFile::rename(trashFolder + "/files/" + trashName, QFile::decodeName(place)) &&
        readFile(file) == "%!PS\n";
    QFile::setPermissions(top + "/docs", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    unmountAll();

    // Never in the current folder, whatever happened.
    QCOMPARE(QDir::current().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
    QCOMPARE(got, result);
    if (result != TrashResult::Moved) {
        QVERIFY(stayed);
        // A failed move leaves no information behind for an entry that is
        // not there.
        QCOMPARE(infoFiles, QStringList());
        return;
    }
    QVERIFY(moved);
    QVERIFY(!stayed);
    QVERIFY2(info.startsWith(prefix + infoPath.replace("BOX", QFile::encodeName(box)) +
                             "\nDeletionDate="),
             info.constData());
    QCOMPARE(infoFiles, QStringList{trashName + ".trashinfo"});
    QVERIFY(restored);
    // A trash made for the user is the user's alone.
    if (fileSystem == "home" && planted.isEmpty())
        QCOMPARE(QFileInfo(box + "/" + trash).permissions() & 0x0077, QFile::Permissions());
}

QTEST_GUILESS_MAIN(TestTrash)
#include "tst_trash.moc"
