// The job: its argument vector slot by slot, short names, and the current
// directory around a real run.

#include "convert/ConsoleOutput.h"
#include "convert/ConversionJob.h"
#include "platform/ProgramPath.h"

#include "PsFiles.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace convert;

namespace {

QStringList g_lines;
QString g_dirDuringRun;

int32_t recordLines(int32_t message, char* str, uint32_t count)
{
    g_dirDuringRun = QDir::currentPath();
    return consoleAnswer(message, str, count, [](const QString& line) { g_lines << line; });
}

QStringList toStrings(const std::vector<std::string>& args)
{
    QStringList out;
    for (const std::string& a : args)
        out << QString::fromStdString(a);
    return out;
}

} // namespace

class TestConversionJob : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void fixedSlots_data();
    void fixedSlots();
    void sourcesFollowInListOrder();
    void shortFileName();
    void namesTheInterpreterWouldMisread_data();
    void namesTheInterpreterWouldMisread();
    void longNamesAreNotCut();
    void runHappensInTheProgramFolder();
    void relativeOutputLandsInTheProgramFolder();
    void failedRunLeavesTheOutputAndRestores();
    void leftoversOfDeadRunsGo_data();
    void leftoversOfDeadRunsGo();
    void outputOverASourceIsRefused();

private:
    QTemporaryDir m_dir;
    QString m_oldDir;
};

void TestConversionJob::init()
{
    m_oldDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir.path()));
    g_lines.clear();
    g_dirDuringRun.clear();
}

void TestConversionJob::cleanup()
{
    QDir::setCurrent(m_oldDir);
}

void TestConversionJob::fixedSlots_data()
{
    QTest::addColumn<int>("compat");
    QTest::addColumn<int>("opti");
    QTest::addColumn<int>("resolution");
    QTest::addColumn<QString>("slot3");
    QTest::addColumn<QString>("slot4");
    QTest::newRow("defaults") << 0 << 0 << 72 << "-dCompatibilityLevel=1.2"
                              << "-dPDFSETTINGS=/default";
    QTest::newRow("1.3 screen") << 1 << 1 << 300 << "-dCompatibilityLevel=1.3"
                                << "-dPDFSETTINGS=/screen";
    QTest::newRow("1.4 printer") << 2 << 2 << 10 << "-dCompatibilityLevel=1.4"
                                 << "-dPDFSETTINGS=/printer";
    QTest::newRow("prepress") << 0 << 3 << 100000 << "-dCompatibilityLevel=1.2"
                              << "-dPDFSETTINGS=/prepress";
    QTest::newRow("no selection") << -1 << -1 << 72 << "-dCompatibilityLevel=1.2"
                                  << "-dPDFSETTINGS=/default";
    QTest::newRow("past the lists") << 3 << 4 << 72 << "-dCompatibilityLevel=1.2"
                                    << "-dPDFSETTINGS=/default";
}

void TestConversionJob::fixedSlots()
{
    QFETCH(int, compat);
    QFETCH(int, opti);
    QFETCH(int, resolution);
    QFETCH(QString, slot3);
    QFETCH(QString, slot4);

    JobInput job;
    job.sources = {m_dir.filePath("in.ps")};
    job.outputName = m_dir.filePath("out.pdf");
    job.compatIndex = compat;
    job.optiIndex = opti;
    job.resolution = resolution;
    const QString r = QString::number(resolution);
    const QStringList expected{"",
                               "-q",
                               "-sDEVICE=pdfwrite",
                               slot3,
                               slot4,
                               "-dColorImageResolution=" + r,
                               "-dGrayImageResolution=" + r,
                               "-dMonoImageResolution=" + r,
                               "-sOutputFile=" + m_dir.filePath("out.pdf"),
                               "-c save pop",
                               "-dBATCH",
                               m_dir.filePath("in.ps")};
    QCOMPARE(toStrings(BuildArgVector(job)), expected);
}

void TestConversionJob::sourcesFollowInListOrder()
{
    JobInput job;
    job.outputName = m_dir.filePath("three.pdf");
    for (const char* name : {"c.ps", "a.ps", "b.ps"}) {
        QVERIFY(testsupport::writeFile(m_dir.filePath(name), psfiles::document(1)));
        job.sources << m_dir.filePath(name);
    }
    const QStringList args = toStrings(BuildArgVector(job));
    QCOMPARE(args.size(), 14);
    QCOMPARE(args.mid(11), job.sources);
}

void TestConversionJob::shortFileName()
{
    // Missing: created empty, then named.
    const QString missing = m_dir.filePath("neu datei é.pdf");
    QCOMPARE(ShortFileName(missing), missing);
    QVERIFY(QFileInfo(missing).isFile());
    QCOMPARE(QFileInfo(missing).size(), 0);

    // Existing: left as it is.
    const QString existing = m_dir.filePath("keep.ps");
    QVERIFY(testsupport::writeFile(existing, "%!PS\n"));
    QCOMPARE(ShortFileName(existing), existing);
    QCOMPARE(testsupport::readFile(existing), QByteArray("%!PS\n"));

    // A folder is an existing name.
    QCOMPARE(ShortFileName(m_dir.path()), m_dir.path());

    // Cannot be created: no short form, nothing reported.
    QCOMPARE(ShortFileName(m_dir.filePath("no/such/folder/x.pdf")), QString());
    QCOMPARE(ShortFileName(existing + "/below-a-file.pdf"), QString());
    QCOMPARE(ShortFileName(QString()), QString());

    // Relative names resolve against the current directory.
    QCOMPARE(ShortFileName("relative.pdf"), QString("relative.pdf"));
    QVERIFY(QFileInfo::exists(m_dir.filePath("relative.pdf")));
}

void TestConversionJob::namesTheInterpreterWouldMisread_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("outputSlot");
    QTest::addColumn<QString>("sourceSlot");
    // '%' would make a page-number template of the output name.
    QTest::newRow("percent") << "rapport %d 100%.pdf"
                             << "in.ps"
                             << "-sOutputFile=rapport %%d 100%%.pdf"
                             << "in.ps";
    // A leading '|' would run the rest as a command, "%pipe%" too.
    QTest::newRow("pipe") << "|touch hacked"
                          << "in.ps"
                          << "-sOutputFile=./|touch hacked"
                          << "in.ps";
    QTest::newRow("pipe device") << "%pipe%touch hacked"
                                 << "in.ps"
                                 << "-sOutputFile=%%pipe%%touch hacked"
                                 << "in.ps";
    // A leading '-' or '@' would make a switch or an argument file of a source.
    QTest::newRow("dash source") << "out.pdf"
                                 << "-dNOSAFER.ps"
                                 << "-sOutputFile=out.pdf"
                                 << "./-dNOSAFER.ps";
    QTest::newRow("device source") << "out.pdf"
                                   << "%pipe%touch hacked"
                                   << "-sOutputFile=out.pdf"
                                   << "./%pipe%touch hacked";
    // A lone "-" would be standard output.
    QTest::newRow("dash output") << "-"
                                 << "in.ps"
                                 << "-sOutputFile=./-"
                                 << "in.ps";
    QTest::newRow("at source") << "out.pdf"
                               << "@list"
                               << "-sOutputFile=out.pdf"
                               << "./@list";
    QTest::newRow("blanks and quotes") << "a \"b\" 'c'.pdf"
                                       << "d e.ps"
                                       << "-sOutputFile=a \"b\" 'c'.pdf"
                                       << "d e.ps";
}

void TestConversionJob::namesTheInterpreterWouldMisread()
{
    QFETCH(QString, output);
    QFETCH(QString, source);
    QFETCH(QString, outputSlot);
    QFETCH(QString, sourceSlot);
    JobInput job;
    job.outputName = output;
    job.sources = {source};
    const QStringList args = toStrings(BuildArgVector(job));
    QCOMPARE(args.value(8), outputSlot);
    QCOMPARE(args.value(11), sourceSlot);
}

void TestConversionJob::longNamesAreNotCut()
{
    // 300 characters of name in folders, well past the old 255-byte entries.
    const QString folder = m_dir.filePath(QString(120, 'd') + "/" + QString(120, QChar(0xe9)));
    QVERIFY(QDir().mkpath(folder));
    const QString source = folder + "/" + QString(60, 's') + ".ps";
    const QString output = folder + "/" + QString(60, 'o') + ".pdf";
    QVERIFY(testsupport::writeFile(source, psfiles::document(2)));

    JobInput job;
    job.sources = {source};
    job.outputName = output;
    const std::vector<std::string> args = BuildArgVector(job);
    QCOMPARE(QString::fromStdString(args[8]), "-sOutputFile=" + output);
    QCOMPARE(QString::fromStdString(args[11]), source);
    QVERIFY(args[8].size() > 400);

    QCOMPARE(RunConversion(job, recordLines, nullptr), 0);
    const testsupport::PdfInfo pdf = testsupport::readPdf(output);
    QVERIFY2(pdf.ok, qPrintable(pdf.error));
    QCOMPARE(pdf.pageCount, 2);
}

void TestConversionJob::runHappensInTheProgramFolder()
{
    const QString source = m_dir.filePath("one.ps");
    QVERIFY(testsupport::writeFile(source, "%!PS\n(hello from the page) print flush\nshowpage\n"));
    JobInput job;
    job.sources = {source};
    job.outputName = m_dir.filePath("one.pdf");

    QString dirAtTheEnd;
    const int32_t result =
        RunConversion(job, recordLines, nullptr, [&] { dirAtTheEnd = QDir::currentPath() + "/"; });
    QCOMPARE(result, 0);
    QCOMPARE(g_dirDuringRun + "/", platform::programFolder());
    QCOMPARE(dirAtTheEnd, platform::programFolder());
    QCOMPARE(QDir::currentPath(), QDir(m_dir.path()).canonicalPath());
    QVERIFY(g_lines.contains("hello from the page"));
}

void TestConversionJob::relativeOutputLandsInTheProgramFolder()
{
    const QString source = m_dir.filePath("one.ps");
    QVERIFY(testsupport::writeFile(source, psfiles::document(1)));
    const QString name =
        QStringLiteral("tst_conversionjob-%1.pdf").arg(QCoreApplication::applicationPid());
    const QString inProgramFolder = platform::programFolder() + name;
    QFile::remove(inProgramFolder);

    JobInput job;
    job.sources = {source};
    job.outputName = name;
    QCOMPARE(RunConversion(job, recordLines, nullptr), 0);

    QVERIFY(!QFileInfo::exists(m_dir.filePath(name)));
    const testsupport::PdfInfo pdf = testsupport::readPdf(inProgramFolder);
    QFile::remove(inProgramFolder);
    QVERIFY2(pdf.ok, qPrintable(pdf.error));
    QCOMPARE(pdf.pageCount, 1);
}

void TestConversionJob::leftoversOfDeadRunsGo_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("ageSeconds");
    QTest::addColumn<QString>("held"); // "lock": a live process holds it, "link": a link
    QTest::addColumn<bool>("goes");
    QTest::newRow("a killed run's, an hour old") << ".folivant-Ab12Cd.pdf" << 3600 << "" << true;
    QTest::newRow("a run's first moments") << ".folivant-Ab12Cd.pdf" << 0 << "" << false;
    QTest::newRow("a live run's, an hour old") << ".folivant-Ab12Cd.pdf" << 3600 << "lock" << false;
    QTest::newRow("a link with such a name") << ".folivant-Ab12Cd.pdf" << 3600 << "link" << false;
    QTest::newRow("a name we never make") << ".folivant-Ab12.pdf" << 3600 << "" << false;
    QTest::newRow("a user's file") << "folivant-Ab12Cd.pdf" << 3600 << "" << false;
}

void TestConversionJob::leftoversOfDeadRunsGo()
{
    QFETCH(QString, name);
    QFETCH(int, ageSeconds);
    QFETCH(QString, held);
    QFETCH(bool, goes);
    QTemporaryDir folder;
    const QString leftover = folder.filePath(name);
    const QString target = folder.filePath("cible.pdf");
    QVERIFY(testsupport::writeFile(target, "keep me"));
    if (held == "link")
        QVERIFY(QFile::link(target, leftover));
    else
        QVERIFY(testsupport::writeFile(leftover, "%PDF-1.4\n% cut short\n"));
    const time_t then = time(nullptr) - ageSeconds;
    const struct timespec times[2] = {{then, 0}, {then, 0}};
    QCOMPARE(
        ::utimensat(AT_FDCWD, QFile::encodeName(leftover).constData(), times, AT_SYMLINK_NOFOLLOW),
        0);
    // A lock of another open file, as another process's would be.
    const int holder = ::open(QFile::encodeName(leftover).constData(), O_RDONLY | O_CLOEXEC);
    QVERIFY(holder >= 0);
    if (held == "lock")
        QCOMPARE(::flock(holder, LOCK_EX | LOCK_NB), 0);

    const QString source = m_dir.filePath("one.ps");
    QVERIFY(testsupport::writeFile(source, "%!PS\n(page) print flush\nshowpage\n"));
    JobInput job;
    job.sources = {source};
    job.outputName = folder.filePath("one.pdf");
    // While the run speaks, its own temporary file is locked against others.
    static QString s_folder;
    static QString s_planted;
    static int s_ownLocked;
    s_folder = folder.path();
    s_planted = name;
    s_ownLocked = -1;
    const auto watch = [](int32_t message, char* str, uint32_t count) {
        const QDir dir(s_folder);
        for (const QString& entry : dir.entryList({".folivant-*"}, QDir::Files | QDir::Hidden)) {
            if (entry == s_planted)
                continue;
            const int fd = ::open(QFile::encodeName(dir.filePath(entry)).constData(), O_RDONLY);
            s_ownLocked = ::flock(fd, LOCK_SH | LOCK_NB) != 0 ? 1 : 0;
            ::close(fd);
        }
        return recordLines(message, str, count);
    };
    QCOMPARE(RunConversion(job, watch, nullptr), 0);
    QCOMPARE(s_ownLocked, 1);
    ::close(holder);
    QCOMPARE(QFileInfo::exists(leftover) || QFileInfo(leftover).isSymLink(), !goes);
    QCOMPARE(testsupport::readFile(target), QByteArray("keep me"));
    QCOMPARE(testsupport::readPdf(job.outputName).pageCount, 1);
}

void TestConversionJob::failedRunLeavesTheOutputAndRestores()
{
    const QString source = m_dir.filePath("broken.ps");
    QVERIFY(testsupport::writeFile(source, "%!PS\nthis-is-not-defined\n"));
    JobInput job;
    job.sources = {source};
    job.outputName = m_dir.filePath("broken.pdf");

    // No PDF is made of a failed run, not even an empty one.
    bool endCalled = false;
    QVERIFY(RunConversion(job, recordLines, nullptr, [&] { endCalled = true; }) != 0);
    QVERIFY(endCalled);
    QVERIFY(!QFileInfo::exists(job.outputName));
    QCOMPARE(QDir::currentPath(), QDir(m_dir.path()).canonicalPath());
    QVERIFY(g_lines.join('\n').contains("undefined"));
}

void TestConversionJob::outputOverASourceIsRefused()
{
    const QByteArray ps = psfiles::document(3);
    const QString first = m_dir.filePath("first.ps");
    const QString second = m_dir.filePath("second.ps");
    QVERIFY(testsupport::writeFile(first, ps));
    QVERIFY(testsupport::writeFile(second, ps));
    QVERIFY(QFile::link(second, m_dir.filePath("second.pdf")));
    QVERIFY(::link(QFile::encodeName(second).constData(),
                   QFile::encodeName(m_dir.filePath("hard.pdf")).constData()) == 0);

    // Named as it is, through a symbolic link and as a second hard link.
    for (const QString& output :
         {second, m_dir.filePath("second.pdf"), m_dir.filePath("hard.pdf")}) {
        g_lines.clear();
        JobInput job;
        job.sources = {first, second};
        job.outputName = output;
        QCOMPARE(sourceThatIsTheOutput(job), second);
        bool endCalled = false;
        QCOMPARE(RunConversion(job, recordLines, nullptr, [&] { endCalled = true; }),
                 OutputIsASource);
        QVERIFY(endCalled);
        QCOMPARE(testsupport::readFile(second), ps);
        QCOMPARE(g_lines.size(), 1);
        QVERIFY2(g_lines.first().contains(second), qPrintable(g_lines.first()));
        QCOMPARE(QDir::currentPath(), QDir(m_dir.path()).canonicalPath());
    }

    // A missing output is no source, even when a source is missing too.
    JobInput job;
    job.sources = {first, m_dir.filePath("gone.ps")};
    job.outputName = m_dir.filePath("gone.pdf");
    QCOMPARE(sourceThatIsTheOutput(job), QString());
}

QTEST_GUILESS_MAIN(TestConversionJob)
#include "tst_conversionjob.moc"
