// Byte copies: exact content at every size around the buffer edges, modes
// carried, and every kind of failure reported as one.

#include "platform/FileCopy.h"

#include "support/TestSupport.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
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
    const QString dir = m_dir.path();
    writeFile(dir + "/plain", "content");
    QTest::newRow("missing source") << dir + "/none" << dir + "/out1";
    QTest::newRow("source is a folder") << dir << dir + "/out2";
    QTest::newRow("parent is a file") << dir + "/plain" << dir + "/plain/out";
    QTest::newRow("destination is a folder") << dir + "/plain" << dir;
    // Root ignores modes; a full device still refuses every byte.
    QTest::newRow("write error") << dir + "/plain"
                                 << "/dev/full";
}

void TestFileCopy::failuresAreReported()
{
    QFETCH(QString, source);
    QFETCH(QString, destination);
    QVERIFY(!platform::copyFileBytes(source, destination));
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

void TestFileCopy::shortWritesFail_data()
{
    QTest::addColumn<QString>("sourceFolder");
    QTest::newRow("same file system") << m_dir.path();
    // Across file systems the bytes go through our own buffer.
    if (QFileInfo("/dev/shm").isDir() && QFileInfo("/dev/shm").isWritable())
        QTest::newRow("other file system") << "/dev/shm";
}

void TestFileCopy::shortWritesFail()
{
    QFETCH(QString, sourceFolder);
    QTemporaryDir sourceDir(sourceFolder + "/tst_filecopy-XXXXXX");
    const QString source = sourceDir.filePath("big");
    QVERIFY(writeFile(source, randomBytes(10000)));
    const QString destination = m_dir.filePath("limited");

    // A file size limit holds for root too: the write stops short at it.
    struct rlimit old;
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &old) == 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = old;
    limited.rlim_cur = 3000;
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &limited) == 0);
    const bool copied = platform::copyFileBytes(source, destination);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!copied);
    QVERIFY(QFileInfo(destination).size() <= 3000);
}

QTEST_GUILESS_MAIN(TestFileCopy)
#include "tst_filecopy.moc"
