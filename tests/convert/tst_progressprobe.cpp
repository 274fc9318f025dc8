// The progress probe: which arguments are sources, and how far the
// descriptors open on them have been read.

#include "convert/ProgressProbe.h"

#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

using namespace convert;

class TestProgressProbe : public QObject
{
    Q_OBJECT
private slots:
    void sourcesOf_data();
    void sourcesOf();
    void followsDescriptors();
    void unreadableSourcesCountForNothing();

private:
    QTemporaryDir m_dir;
};

void TestProgressProbe::sourcesOf_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("sources");
    QTest::newRow("job vector") << QStringList{"",
                                               "-q",
                                               "-sDEVICE=pdfwrite",
                                               "-sOutputFile=/o.pdf",
                                               "-c save pop",
                                               "-dBATCH",
                                               "/a.ps",
                                               "/b c.ps"}
                                << QStringList{"/a.ps", "/b c.ps"};
    QTest::newRow("code runs on to the next switch")
        << QStringList{"", "-c", "save", "pop", "-f", "/a.ps"} << QStringList{"/a.ps"};
    QTest::newRow("code to the end")
        << QStringList{"", "/a.ps", "-c", "quit"} << QStringList{"/a.ps"};
    QTest::newRow("-f with a name")
        << QStringList{"", "-f/a.ps", "/b.ps"} << QStringList{"/a.ps", "/b.ps"};
    QTest::newRow("-o takes the next")
        << QStringList{"", "-o", "/o.pdf", "/a.ps"} << QStringList{"/a.ps"};
    QTest::newRow("stdin and argument files")
        << QStringList{"", "-", "@opts", "/a.ps"} << QStringList{"/a.ps"};
    QTest::newRow("-- ends the switches")
        << QStringList{"", "--", "/a.ps", "x", "y"} << QStringList{"/a.ps"};
    QTest::newRow("nothing") << QStringList{""} << QStringList{};
}

void TestProgressProbe::sourcesOf()
{
    QFETCH(QStringList, args);
    QFETCH(QStringList, sources);
    std::vector<QByteArray> bytes;
    std::vector<char*> argv;
    for (const QString& a : args)
        bytes.push_back(a.toUtf8());
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    QCOMPARE(ProgressProbe::sourcesOf(int(argv.size()), argv.data()), sources);
}

void TestProgressProbe::followsDescriptors()
{
    const QString a = m_dir.filePath("a b.ps");
    const QString b = m_dir.filePath("é.ps");
    QVERIFY(testsupport::writeFile(a, QByteArray(3000, 'a')));
    QVERIFY(testsupport::writeFile(b, QByteArray(1000, 'b')));
    // Reached through a link and a "./"-style name, as the vector may name them.
    QVERIFY(QFile::link(a, m_dir.filePath("link.ps")));
    ProgressProbe probe({m_dir.filePath("link.ps"), m_dir.path() + "/./é.ps"});

    QCOMPARE(probe.percent(), 0); // nothing open yet

    const int fa = ::open(QFile::encodeName(a).constData(), O_RDONLY);
    QVERIFY(fa >= 0);
    QCOMPARE(probe.percent(), 0);
    ::lseek(fa, 1500, SEEK_SET);
    QCOMPARE(probe.percent(), 37); // 1500 of 4000
    ::lseek(fa, 3000, SEEK_SET);
    QCOMPARE(probe.percent(), 75);
    ::close(fa);
    QCOMPARE(probe.percent(), 75); // between sources: no step back

    const int fb = ::open(QFile::encodeName(b).constData(), O_RDONLY);
    QVERIFY(fb >= 0);
    QCOMPARE(probe.percent(), 75); // the first is counted whole
    ::lseek(fb, 500, SEEK_SET);
    QCOMPARE(probe.percent(), 87);
    ::lseek(fb, 1000, SEEK_SET);
    QCOMPARE(probe.percent(), 100);
    ::lseek(fb, 0, SEEK_SET);
    QCOMPARE(probe.percent(), 100); // never less than before

    // The first source opened again (say by another reader) is not a step back.
    const int fa2 = ::open(QFile::encodeName(a).constData(), O_RDONLY);
    QCOMPARE(probe.percent(), 100);
    ::close(fa2);
    ::close(fb);
}

void TestProgressProbe::unreadableSourcesCountForNothing()
{
    const QString real = m_dir.filePath("real.ps");
    QVERIFY(testsupport::writeFile(real, QByteArray(100, 'x')));
    ProgressProbe probe({m_dir.path(), m_dir.filePath("missing.ps"), real});
    const int fd = ::open(QFile::encodeName(real).constData(), O_RDONLY);
    ::lseek(fd, 50, SEEK_SET);
    QCOMPARE(probe.percent(), 50);
    ::close(fd);

    ProgressProbe empty({m_dir.filePath("missing.ps")});
    QCOMPARE(empty.percent(), 0);
}

QTEST_GUILESS_MAIN(TestProgressProbe)
#include "tst_progressprobe.moc"
