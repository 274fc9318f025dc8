// Byte copies: exact content at every size around the buffer edges, modes
// carried, every kind of failure reported as one, and nothing ever written
// through a name that someone else placed at the destination.

#include "platform/FileCopy.h"

#include "support/TestSupport.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <QDir>
#include <QProcess>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using testsupport::readFile;
using testsupport::writeFile;

class TestFileCopy : public QObject
{
    Q_OBJECT

private slots:
    void copiesExactBytes_data();
    void copiesExactBytes();
    void replacesExistingFileAndMode();
    void failuresAreReported_data();
    void failuresAreReported();
    void copiesFromAnotherFileSystem();
    void sourceIsNeverEmptied();
    void neverWritesThroughTheDestination_data();
    void neverWritesThroughTheDestination();
    void shortWritesFail_data();
    void shortWritesFail();

private:
    QTemporaryDir m_dir;
};

static QByteArray randomBytes(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char(QRandomGenerator::global()->bounded(256));
    return bytes;
}

void TestFileCopy::copiesExactBytes_data()
{
    QTest::addColumn<int>("size");
    for (int size : {0, 1, 2047, 2048, 2049, (1 << 20) - 1, (1 << 20) + 1, 3 << 20})
        QTest::newRow(qPrintable(QString::number(size))) << size;
}

void TestFileCopy::copiesExactBytes()
{
    QFETCH(int, size);
    const QByteArray bytes = randomBytes(size);
    const QString source = m_dir.filePath("source é \"q\".bin");
    const QString destination = m_dir.filePath("dest $x.bin");
    QVERIFY(writeFile(source, bytes));
    QVERIFY(platform::copyFileBytes(source, destination));
    QCOMPARE(readFile(destination), bytes);
}

void TestFileCopy::replacesExistingFileAndMode()
{
    const QString source = m_dir.filePath("prog");
    const QString destination = m_dir.filePath("prog.copy");
    QVERIFY(writeFile(source, "#!/bin/sh\n"));
    QVERIFY(QFile::setPermissions(source, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                              QFile::ReadGroup | QFile::ExeGroup));
    // Longer old content must not survive behind the new bytes.
    QVERIFY(writeFile(destination, QByteArray(5000, 'o')));
    QVERIFY(QFile::setPermissions(destination, QFile::ReadOwner | QFile::WriteOwner));
    QVERIFY(platform::copyFileBytes(source, destination));
    QCOMPARE(readFile(destination), QByteArray("#!/bin/sh\n"));
    QVERIFY(QFile::permissions(destination) & QFile::ExeOwner);
}

void TestFileCopy::failuresAreReported_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QString>("named"); // what the error text names first
    const QString dir = m_dir.path();
    writeFile(dir + "/plain", "content");
    QTest::newRow("missing source") << dir + "/none" << dir + "/out1" << dir + "/none";
    QTest::newRow("source is a folder") << dir << dir + "/out2" << dir;
    QTest::newRow("parent is a file") << dir + "/plain" << dir + "/plain/out" << dir + "/plain";
    QTest::newRow("destination is a folder") << dir + "/plain" << dir << dir;
    // Neither written into nor replaced.
    ::mkfifo(QFile::encodeName(dir + "/pipe").constData(), 0600);
    QTest::newRow("destination is a pipe") << dir + "/plain" << dir + "/pipe" << dir + "/pipe";
    QTest::newRow("source is a pipe") << dir + "/pipe" << dir + "/out3" << dir + "/pipe";
}

void TestFileCopy::failuresAreReported()
{
    QFETCH(QString, source);
    QFETCH(QString, destination);
    QFETCH(QString, named);
    QString error;
    QVERIFY(!platform::copyFileBytes(source, destination, {}, &error));
    QVERIFY2(error.startsWith(named + ": ") && error.size() > named.size() + 2, qPrintable(error));
    QCOMPARE(readFile(m_dir.path() + "/plain"), QByteArray("content"));
}

void TestFileCopy::copiesFromAnotherFileSystem()
{
    // /proc files claim a size of 0 and cross file systems: their content
    // must still arrive whole.
    const QString destination = m_dir.filePath("status");
    QVERIFY(platform::copyFileBytes("/proc/self/cmdline", destination));
    QVERIFY(readFile(destination).contains("tst_filecopy"));
}

void TestFileCopy::sourceIsNeverEmptied()
{
    // The same file by its own name, through a symbolic link and through a
    // hard link: replacing the destination would empty the source.
    const QString source = m_dir.filePath("original");
    QVERIFY(writeFile(source, "original bytes"));
    QVERIFY(QFile::link(source, m_dir.filePath("symlink")));
    QVERIFY(::link(QFile::encodeName(source).constData(),
                   QFile::encodeName(m_dir.filePath("hardlink")).constData()) == 0);
    for (const char* name : {"original", "symlink", "hardlink"}) {
        QVERIFY2(platform::copyFileBytes(source, m_dir.filePath(name)), name);
        QCOMPARE(readFile(source), QByteArray("original bytes"));
    }
}

void TestFileCopy::neverWritesThroughTheDestination_data()
{
    QTest::addColumn<QString>("planted");
    QTest::newRow("symbolic link") << "symlink";
    QTest::newRow("hard link") << "hardlink";
    // Writing into a program that runs fails with "text file busy".
    QTest::newRow("running program") << "running";
    // A folder of the destination's path replaced by a link to elsewhere.
    QTest::newRow("linked folder") << "folder";
}

void TestFileCopy::neverWritesThroughTheDestination()
{
    // Someone who may write into the destination folder planted a name
    // there that leads to a file outside, which must keep its bytes and mode.
    QFETCH(QString, planted);
    QTemporaryDir outside;
    const QString victim = outside.filePath("secret");
    QVERIFY(writeFile(victim, "not yours\n"));
    QVERIFY(QFile::setPermissions(victim, QFile::ReadOwner | QFile::WriteOwner));
    const QString source = m_dir.filePath("new-" + planted);
    QVERIFY(writeFile(source, "#!/bin/sh\n"));
    QVERIFY(QFile::setPermissions(source, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                              QFile::ReadOther));
    const QString destination = m_dir.filePath("installed-" + planted);
    platform::CopyOptions options;
    options.within = m_dir.path();

    QProcess running;
    if (planted == "folder") {
        QVERIFY(QFile::link(outside.path(), m_dir.filePath("docs")));
        QVERIFY(!platform::copyFileBytes(source, m_dir.filePath("docs/secret"), options));
        QCOMPARE(readFile(victim), QByteArray("not yours\n"));
        QCOMPARE(QDir(outside.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"secret"});
        return;
    } else if (planted == "symlink") {
        QVERIFY(QFile::link(victim, destination));
    } else if (planted == "hardlink") {
        QVERIFY(::link(QFile::encodeName(victim).constData(),
                       QFile::encodeName(destination).constData()) == 0);
    } else {
        QVERIFY(QFile::copy("/bin/sleep", destination));
        running.start(destination, {"60"});
        QVERIFY(running.waitForStarted());
    }
    const bool copied = platform::copyFileBytes(source, destination, options);
    if (running.state() != QProcess::NotRunning) {
        running.kill();
        running.waitForFinished();
    }
    struct stat info;
    QCOMPARE(readFile(victim), QByteArray("not yours\n"));
    QVERIFY(::stat(QFile::encodeName(victim).constData(), &info) == 0);
    QCOMPARE(info.st_mode & 07777, mode_t(0600));
    // The name now holds a file of its own with the new bytes.
    QVERIFY(copied);
    QCOMPARE(readFile(destination), QByteArray("#!/bin/sh\n"));
    QVERIFY(::lstat(QFile::encodeName(destination).constData(), &info) == 0);
    QVERIFY(S_ISREG(info.st_mode));
    QCOMPARE(info.st_nlink, nlink_t(1));
    QVERIFY(info.st_mode & S_IXUSR);
}

void TestFileCopy::shortWritesFail_data()
{
    QTest::addColumn<QString>("sourceFolder");
    QTest::addColumn<bool>("killed");
    QTest::newRow("same file system") << m_dir.path() << false;
    // Across file systems the bytes go through our own buffer.
    if (QFileInfo("/dev/shm").isDir() && QFileInfo("/dev/shm").isWritable())
        QTest::newRow("other file system") << "/dev/shm" << false;
    // By default the write past the limit ends the process in the middle
    // of the copy, as a crash or a power cut would.
    QTest::newRow("interrupted") << m_dir.path() << true;
}

void TestFileCopy::shortWritesFail()
{
    QFETCH(QString, sourceFolder);
    QFETCH(bool, killed);
    QTemporaryDir sourceDir(sourceFolder + "/tst_filecopy-XXXXXX");
    const QString source = sourceDir.filePath("big");
    QVERIFY(writeFile(source, randomBytes(10000)));
    QTemporaryDir targetDir(m_dir.filePath("target-XXXXXX"));
    const QString destination = targetDir.filePath("limited");
    QVERIFY(writeFile(destination, "the version before"));

    // A file size limit holds for root too: the write stops short at it.
    struct rlimit old;
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &old) == 0);
    struct rlimit limited = old;
    limited.rlim_cur = 3000;
    bool copied = false;
    if (killed) {
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            const struct rlimit noCore = {0, 0};
            ::setrlimit(RLIMIT_CORE, &noCore);
            ::setrlimit(RLIMIT_FSIZE, &limited);
            platform::copyFileBytes(source, destination);
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ);
    } else {
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &limited) == 0);
        copied = platform::copyFileBytes(source, destination);
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
    }

    QVERIFY(!copied);
    // The name holds the old file whole, never a part of the new one.
    QCOMPARE(readFile(destination), QByteArray("the version before"));
    // A failure that is seen cleans up after itself.
    if (!killed)
        QCOMPARE(
            QDir(targetDir.path())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
            QStringList{"limited"});
}

QTEST_GUILESS_MAIN(TestFileCopy)
#include "tst_filecopy.moc"
