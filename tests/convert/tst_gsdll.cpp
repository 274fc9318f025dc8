// The interpreter component on the real library: pages, media, versions,
// progress, the callback's answers, and runs after failures.

#include "convert/ConsoleOutput.h"
#include "convert/ConversionJob.h"
#include "convert/GsDll.h"
#include "convert/PageSize.h"
#include "convert/WmUser.h"

#include "PsFiles.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <cstring>

using namespace convert;

namespace {

struct Message
{
    int32_t message;
    QByteArray before; // the buffer as the callback got it
    QByteArray after;  // and as it left it
    int32_t answer;
};

QStringList g_lines;
QList<Message> g_messages;

// The program's answers, as the window and the terminal tool give them.
int32_t programCallback(int32_t message, char* str, uint32_t count)
{
    Message m{message, QByteArray(str, int(count)), {}, 0};
    m.answer = consoleAnswer(message, str, count, [](const QString& line) { g_lines << line; });
    m.after = QByteArray(str, int(count));
    g_messages << m;
    return m.answer;
}

class ProgressRecorder : public QObject
{
public:
    QList<int> values;
    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::Type(WM_USER))
            return QObject::event(e);
        values << int(static_cast<WmUserEvent*>(e)->wParam());
        return true;
    }
};

// A run as the job makes it, with the closing line the window appends.
int32_t runJob(const QStringList& sources, const QString& output, double widthMm = 215.90,
               double heightMm = 279.40, int compat = 0, QObject* window = nullptr)
{
    JobInput job;
    job.sources = sources;
    job.outputName = output;
    job.widthMm = widthMm;
    job.heightMm = heightMm;
    job.compatIndex = compat;
    return RunConversion(job, programCallback, window, [] { g_lines << "terminé..."; });
}

// Runs the component directly on a hand-made vector.
int32_t runVector(QStringList args, QObject* window = nullptr, bool exitAfter = true)
{
    std::vector<QByteArray> bytes;
    std::vector<char*> argv;
    args.prepend(QString());
    for (const QString& a : args)
        bytes.push_back(a.toUtf8());
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    const int32_t result = gsdll_init(programCallback, window, int32_t(bytes.size()), argv.data());
    // Nothing may point into the vector once gsdll_init has returned.
    for (QByteArray& b : bytes)
        std::memset(b.data(), 'X', size_t(b.size()));
    if (result == 0 && exitAfter)
        gsdll_exit();
    return result;
}

QList<double> box(int w, int h)
{
    return {0, 0, double(w), double(h)};
}

} // namespace

class TestGsDll : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void sourcesBecomeOnePdfInOrder();
    void mediaRectangleFixesEveryPage_data();
    void mediaRectangleFixesEveryPage();
    void otherSizesAreScaledAndCentred();
    void refusedRectangleLeavesDocumentSizes();
    void compatibilityShowsInHeader_data();
    void compatibilityShowsInHeader();
    void progressRisesToHundred();
    void outputAndErrorReachTheCallback();
    void inputRequestsAreAnswered();
    void answersOfTheCallback();
    void badInputThenNextRunWorks_data();
    void badInputThenNextRunWorks();
    void outputNameMeansOneFile_data();
    void outputNameMeansOneFile();
    void sourceNameMeansOneFile_data();
    void sourceNameMeansOneFile();
    void unfinishedRunIsShutDownByTheNext();
    void runEndingBadlyLeavesNextRunWorking_data();
    void runEndingBadlyLeavesNextRunWorking();

private:
    QString write(const QString& name, const QByteArray& ps);
    QTemporaryDir m_dir;
};

void TestGsDll::init()
{
    g_lines.clear();
    g_messages.clear();
}

QString TestGsDll::write(const QString& name, const QByteArray& ps)
{
    const QString path = m_dir.filePath(name);
    if (!testsupport::writeFile(path, ps))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TestGsDll::sourcesBecomeOnePdfInOrder()
{
    // Each source asks for its own size, so the page sizes show the order.
    const QString a = write("a.ps", psfiles::document(2, 200, 300, "a"));
    const QString b = write("b.ps", psfiles::document(1, 300, 400, "b"));
    const QString c = write("c.ps", psfiles::document(3, 400, 500, "c"));
    const QString out = m_dir.filePath("order.pdf");
    QCOMPARE(runVector({"-q", "-sDEVICE=pdfwrite", "-sOutputFile=" + out, "-c save pop", "-dBATCH",
                        a, b, c}),
             0);
    testsupport::PdfInfo pdf = testsupport::readPdf(out);
    QVERIFY2(pdf.ok, qPrintable(pdf.error));
    QCOMPARE(pdf.mediaBoxes, (QList<QList<double>>{box(200, 300), box(200, 300), box(300, 400),
                                                   box(400, 500), box(400, 500), box(400, 500)}));

    // The same three through the job, in another order, as one fixed-size PDF.
    const QString job = m_dir.filePath("job.pdf");
    QCOMPARE(runJob({c, a, b}, job), 0);
    pdf = testsupport::readPdf(job);
    QVERIFY2(pdf.ok, qPrintable(pdf.error));
    QCOMPARE(pdf.pageCount, 6);
    QCOMPARE(g_lines.last(), QString("terminé..."));
    QCOMPARE(gsdll_sourcepages(), (std::vector<int>{3, 2, 1}));

    // Sources without a page after full ones are told, and only they.
    const QString empty = write("vide.ps", "%!PS\n% nothing to print\n");
    g_lines.clear();
    QCOMPARE(runJob({a, empty, b, empty}, job), 0);
    QCOMPARE(gsdll_sourcepages(), (std::vector<int>{2, 0, 1, 0}));
    QCOMPARE(g_lines.filter("ne contient aucune page"),
             (QStringList{"Le fichier source " + empty + " ne contient aucune page.",
                          "Le fichier source " + empty + " ne contient aucune page."}));
    QCOMPARE(testsupport::readPdf(job).pageCount, 3);
}

void TestGsDll::mediaRectangleFixesEveryPage_data()
{
    QTest::addColumn<double>("widthMm");
    QTest::addColumn<double>("heightMm");
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::newRow("A4") << 210.0 << 297.0 << 595 << 842;
    QTest::newRow("A4 landscape") << 297.0 << 210.0 << 842 << 595;
    QTest::newRow("Letter") << 8.5 * MmPerInch << 11 * MmPerInch << 612 << 792;
    QTest::newRow("A3") << 297.0 << 420.0 << 842 << 1191;
    QTest::newRow("A5") << 148.5 << 210.0 << 421 << 595;
}

void TestGsDll::mediaRectangleFixesEveryPage()
{
    QFETCH(double, widthMm);
    QFETCH(double, heightMm);
    QFETCH(int, w);
    QFETCH(int, h);
    // One source asks for a square page, one for nothing at all.
    const QString square = write("square.ps", psfiles::document(2, 300, 300));
    const QString plain = write("plain.ps", "%!PS\n72 72 moveto 100 100 lineto stroke showpage\n");
    const QString out = m_dir.filePath("media.pdf");
    QCOMPARE(runJob({square, plain}, out, widthMm, heightMm), 0);
    const testsupport::PdfInfo pdf = testsupport::readPdf(out);
    QVERIFY2(pdf.ok, qPrintable(pdf.error));
    QCOMPARE(pdf.mediaBoxes, (QList<QList<double>>{box(w, h), box(w, h), box(w, h)}));
}

void TestGsDll::otherSizesAreScaledAndCentred()
{
    // A diagonal across a whole 300 x 300 page, put on A4: scaled to the
    // width and centred in height, not cut at the page's corner.
    const QString square = write("diagonal.ps", psfiles::document(1, 300, 300));
    const QString out = m_dir.filePath("fitted.pdf");
    QCOMPARE(runJob({square}, out, 210.0, 297.0), 0);

    QCOMPARE(runVector({"-q", "-dNOPAUSE", "-sDEVICE=bbox", "-dBATCH", out}), 0);
    const QRegularExpression re("%%HiResBoundingBox: ([-0-9.]+) ([-0-9.]+) ([-0-9.]+) ([-0-9.]+)");
    const QRegularExpressionMatch m = re.match(g_lines.join('\n'));
    QVERIFY2(m.hasMatch(), qPrintable(g_lines.join('\n')));
    const double x0 = m.captured(1).toDouble(), y0 = m.captured(2).toDouble();
    const double x1 = m.captured(3).toDouble(), y1 = m.captured(4).toDouble();
    QVERIFY2(x0 < 3 && x1 > 592, qPrintable(m.captured(0)));
    QVERIFY2(qAbs(y0 - (842 - 595) / 2.0) < 3 && qAbs(y1 - (842 + 595) / 2.0) < 3,
             qPrintable(m.captured(0)));
}

void TestGsDll::refusedRectangleLeavesDocumentSizes()
{
    const QString square = write("square.ps", psfiles::document(1, 300, 300));
    const QString out = m_dir.filePath("refused.pdf");
    const QStringList args{"-q", "-sDEVICE=pdfwrite", "-sOutputFile=" + out, "-dBATCH", square};
    QVERIFY(gsdll_setpdfmediarect(2, 0, 0, 595, 842) != 0);
    QCOMPARE(runVector(args), 0);
    QCOMPARE(testsupport::readPdf(out).mediaBoxes.value(0), box(300, 300));
    QVERIFY(gsdll_setpdfmediarect(1, 0, 0, 0, 842) != 0);
    QCOMPARE(runVector(args), 0);
    QCOMPARE(testsupport::readPdf(out).mediaBoxes.value(0), box(300, 300));

    // A rectangle holds for one run only.
    QCOMPARE(gsdll_setpdfmediarect(1, 10, 20, 605, 862), 0);
    QCOMPARE(runVector(args), 0);
    QCOMPARE(testsupport::readPdf(out).mediaBoxes.value(0), box(595, 842));
    QCOMPARE(runVector(args), 0);
    QCOMPARE(testsupport::readPdf(out).mediaBoxes.value(0), box(300, 300));
}

void TestGsDll::compatibilityShowsInHeader_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("version");
    QTest::newRow("first item") << 0 << "1.2";
    QTest::newRow("second item") << 1 << "1.3";
    QTest::newRow("third item") << 2 << "1.4";
}

void TestGsDll::compatibilityShowsInHeader()
{
    QFETCH(int, index);
    QFETCH(QString, version);
    const QString src = write("compat.ps", psfiles::document(1));
    const QString out = m_dir.filePath("compat.pdf");
    QCOMPARE(runJob({src}, out, 210, 297, index), 0);
    QVERIFY(testsupport::readFile(out).startsWith("%PDF-" + version.toLatin1()));
    QCOMPARE(testsupport::readPdf(out).version, version);
}

void TestGsDll::progressRisesToHundred()
{
    // Pages padded with comments, so reading moves well past the
    // interpreter's buffer between two pages.
    QStringList sources;
    int pages = 0;
    for (int s = 0; s < 3; ++s) {
        QByteArray ps = "%!PS\n";
        for (int p = 0; p < 4; ++p, ++pages)
            ps += "%" + QByteArray(30000, 'p') + "\n72 72 moveto (page) show showpage\n";
        sources << write(QString("progress%1.ps").arg(s), ps);
    }
    ProgressRecorder window;
    QCOMPARE(runJob(sources, m_dir.filePath("progress.pdf"), 210, 297, 0, &window), 0);

    const QList<int>& v = window.values;
    QVERIFY(v.size() >= pages + 1);
    QCOMPARE(v.first(), 0);
    QCOMPARE(v.last(), 100);
    QVERIFY2(std::is_sorted(v.begin(), v.end()), qPrintable(QDebug::toString(v)));
    const int between =
        int(std::count_if(v.begin(), v.end(), [](int x) { return x > 0 && x < 100; }));
    QVERIFY2(between >= pages - 2, qPrintable(QDebug::toString(v)));
    QCOMPARE(v.count(100), 1); // 100 only at the very end

    // A failed run ends without 100.
    ProgressRecorder failed;
    const QString bad = write("bad.ps", "%!PS\nshowpage\nno-such-operator\n");
    QVERIFY(runJob({bad}, m_dir.filePath("bad.pdf"), 210, 297, 0, &failed) != 0);
    QVERIFY(!failed.values.contains(100));
}

void TestGsDll::outputAndErrorReachTheCallback()
{
    const QString src = write("talk.ps", "%!PS\n(abc\\r\\n) print flush\n"
                                         "(%stderr) (w) file dup (on stderr\\n) writestring "
                                         "flushfile\n() print flush showpage\n");
    QCOMPARE(runJob({src}, m_dir.filePath("talk.pdf")), 0);
    QVERIFY2(g_lines.contains("abc\r"), qPrintable(g_lines.join('|')));
    QVERIFY(g_lines.contains("on stderr"));
    QCOMPARE(g_lines.last(), QString("terminé..."));
    for (const Message& m : g_messages) {
        if (m.before == "abc\r\n") {
            QCOMPARE(m.message, 2);
            QCOMPARE(m.answer, 5);
        }
    }
    // The pacing prompt of every page is not the document's and is not shown,
    // also when it comes with text that the document did not flush.
    QVERIFY(!g_lines.join('\n').contains("showpage, press"));

    g_lines.clear();
    const QString unflushed = write("unflushed.ps", "%!PS\n(first) print showpage\n"
                                                    "(second) print showpage\n");
    QCOMPARE(runJob({unflushed}, m_dir.filePath("unflushed.pdf")), 0);
    QCOMPARE(g_lines, (QStringList{"first", "second", "terminé..."}));

    // A megabyte, more than any one read of the channel takes, arrives byte
    // for byte and in order: numbered lines, with a page between blocks.
    g_messages.clear();
    const QString chatty = write("chatty.ps", "%!PS\n/n 12 string def\n"
                                              "0 1 19999 { dup n cvs print (: ) print "
                                              "(0123456789abcdefghijklmnopqrstuvwxyz) print "
                                              "(ABCDEFGHIJ\\n) print 5000 mod 4999 eq "
                                              "{ showpage } if } for\n");
    QCOMPARE(runJob({chatty}, m_dir.filePath("chatty.pdf")), 0);
    QByteArray said;
    for (const Message& m : g_messages) {
        if (m.message == 2)
            said += m.before;
    }
    QByteArray expected;
    for (int i = 0; i < 20000; ++i)
        expected += QByteArray::number(i) + ": 0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJ\n";
    QVERIFY(expected.size() > 1000000);
    QCOMPARE(said.size(), expected.size());
    QVERIFY(said == expected);
    QCOMPARE(testsupport::readPdf(m_dir.filePath("chatty.pdf")).pageCount, 4);
}

void TestGsDll::inputRequestsAreAnswered()
{
    // The pages' own prompts are the component's business: they do not
    // reach the callback.
    const QString pages = write("pages.ps", psfiles::document(3));
    QCOMPARE(runJob({pages}, m_dir.filePath("pages.pdf")), 0);
    QCOMPARE(testsupport::readPdf(m_dir.filePath("pages.pdf")).pageCount, 3);
    QVERIFY(std::none_of(g_messages.begin(), g_messages.end(),
                         [](const Message& m) { return m.message == 1; }));

    // A document that reads its input asks the callback, which leaves the
    // buffer as it was given (line feeds) and answers 1; reading to the end
    // finishes all the same.
    g_messages.clear();
    const QString reader = write("reader.ps", "%!PS\n/f (%stdin) (r) file def\n"
                                              "{ f read { pop } { exit } ifelse } loop\n"
                                              "72 72 moveto (read) show showpage\n");
    QCOMPARE(runJob({reader}, m_dir.filePath("reader.pdf")), 0);
    QCOMPARE(testsupport::readPdf(m_dir.filePath("reader.pdf")).pageCount, 1);
    int requests = 0;
    for (const Message& m : g_messages) {
        if (m.message != 1)
            continue;
        ++requests;
        QCOMPARE(m.answer, 1);
        QCOMPARE(m.after, m.before);
        QVERIFY(!m.before.isEmpty() && m.before.count('\n') == m.before.size());
    }
    QVERIFY(requests >= 3);
}

void TestGsDll::answersOfTheCallback()
{
    // What the library cannot be made to send: an empty output call and
    // message numbers it does not use.
    char empty[1] = {'z'};
    QCOMPARE(programCallback(2, empty, 0), 0);
    QCOMPARE(g_lines, QStringList{QString()});
    char some[] = "xyz";
    QCOMPARE(programCallback(3, some, 3), 0);
    QCOMPARE(programCallback(0, some, 3), 0);
    QCOMPARE(programCallback(-1, some, 3), 0);
    QCOMPARE(QByteArray(some), QByteArray("xyz"));
    QCOMPARE(g_lines.size(), 1);
    char lines[] = "\na\nb\r\n";
    QCOMPARE(programCallback(2, lines, 6), 6);
    QCOMPARE(g_lines.last(), QString("ab\r"));
}

void TestGsDll::badInputThenNextRunWorks_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("output");
    QTest::addColumn<bool>("fails");

    const QString dir = m_dir.path();
    testsupport::writeFile(dir + "/empty.ps", QByteArray());
    QByteArray junk;
    for (int i = 0; i < 4096; ++i)
        junk += char((i * 7919 + 13) % 256);
    testsupport::writeFile(dir + "/junk.ps", junk);
    testsupport::writeFile(dir + "/a \"quoted\" 'name' é ü.ps", psfiles::document(1));
    const QString deep = dir + "/" + QString(160, 'x') + "/" + QString(100, QChar(0x00e0));
    if (!QDir().mkpath(deep))
        qFatal("cannot make %s", qPrintable(deep));
    testsupport::writeFile(deep + "/long.ps", psfiles::document(1));
    testsupport::writeFile(dir + "/file", "not a folder");

    QTest::newRow("folder") << dir << dir + "/folder.pdf" << true;
    QTest::newRow("empty file") << dir + "/empty.ps" << dir + "/empty.pdf" << false;
    QTest::newRow("binary junk") << dir + "/junk.ps" << dir + "/junk.pdf" << true;
    QTest::newRow("missing source, created empty")
        << dir + "/gone.ps" << dir + "/gone.pdf" << false;
    QTest::newRow("quotes and accents")
        << dir + "/a \"quoted\" 'name' é ü.ps" << dir + "/a \"q\" 'n' é.pdf" << false;
    QTest::newRow("over 255 characters") << deep + "/long.ps" << deep + "/long.pdf" << false;
    QTest::newRow("output folder missing")
        << dir + "/empty.ps" << dir + "/no/such/folder/out.pdf" << true;
    QTest::newRow("output below a file") << dir + "/empty.ps" << dir + "/file/out.pdf" << true;
}

void TestGsDll::badInputThenNextRunWorks()
{
    QFETCH(QString, source);
    QFETCH(QString, output);
    QFETCH(bool, fails);

    // A PDF as a source, made by a first good run.
    const QString good = write("good.ps", psfiles::document(2));
    const QString goodPdf = m_dir.filePath("good.pdf");

    // An older PDF of the output's name stays as it was when the run fails,
    // and nothing of the run is left beside it.
    const QFileInfo outputInfo(output);
    const bool folderThere = outputInfo.dir().exists() && QFileInfo(outputInfo.path()).isDir();
    const QByteArray older = "%PDF-1.2 older\n";
    if (folderThere)
        QVERIFY(testsupport::writeFile(output, older));
    const int32_t result = runJob({source}, output);
    QCOMPARE(result != 0, fails);
    QCOMPARE(g_lines.last(), QString("terminé..."));
    if (fails)
        QVERIFY2(g_lines.size() > 1, "the interpreter's words are missing");
    if (folderThere) {
        QCOMPARE(testsupport::readFile(output) == older, fails);
        QCOMPARE(outputInfo.dir().entryList({".folivant-*"}, QDir::Hidden | QDir::Files),
                 QStringList());
    }

    g_lines.clear();
    QCOMPARE(runJob({good}, goodPdf), 0);
    QCOMPARE(testsupport::readPdf(goodPdf).pageCount, 2);

    // And a PDF as a source works too.
    const QString again = m_dir.filePath("again.pdf");
    QCOMPARE(runJob({goodPdf}, again), 0);
    QCOMPARE(testsupport::readPdf(again).pageCount, 2);
}

void TestGsDll::outputNameMeansOneFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("page format") << "rapport %d %s 100%%.pdf";
    QTest::newRow("pipe") << "|touch hacked";
    QTest::newRow("pipe device") << "%pipe%touch hacked";
    QTest::newRow("stdout device") << "%stdout";
    QTest::newRow("standard output") << "-";
}

void TestGsDll::outputNameMeansOneFile()
{
    QFETCH(QString, name);
    // Relative names go to the program's folder, where a command would run.
    const QString folder = QCoreApplication::applicationDirPath() + "/";
    const QString marker = folder + "hacked";
    QFile::remove(marker);
    QFile::remove(folder + name);
    g_lines.clear();

    const QString src = write("one.ps", psfiles::document(1));
    QCOMPARE(runJob({src}, name), 0);
    const testsupport::PdfInfo pdf = testsupport::readPdf(folder + name);
    QFile::remove(folder + name);
    QVERIFY2(pdf.ok, qPrintable(pdf.error));
    QCOMPARE(pdf.pageCount, 1);
    QVERIFY(!QFileInfo::exists(marker));
    QVERIFY(!QFileInfo::exists(folder + "rapport 1 .pdf"));
    QVERIFY(!g_lines.join('\n').contains("%PDF"));
}

void TestGsDll::sourceNameMeansOneFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("pipe device") << "%pipe%touch hacked";
    QTest::newRow("console device") << "%stdin";
}

void TestGsDll::sourceNameMeansOneFile()
{
    QFETCH(QString, name);
    // A relative source is looked up in the program's folder during the run.
    const QString folder = QCoreApplication::applicationDirPath() + "/";
    const QString marker = folder + "hacked";
    QFile::remove(marker);
    QVERIFY(testsupport::writeFile(folder + name, psfiles::document(2)));
    const QString out = m_dir.filePath("named.pdf");

    const int32_t result = runJob({name}, out);
    QFile::remove(folder + name);
    QVERIFY(!QFileInfo::exists(marker));
    QCOMPARE(g_lines.last(), QString("terminé..."));
    // The interpreter may refuse such a name; if it reads anything, it is the file.
    if (result == 0)
        QCOMPARE(testsupport::readPdf(out).pageCount, 2);
}

void TestGsDll::unfinishedRunIsShutDownByTheNext()
{
    const QString src = write("first.ps", psfiles::document(2));
    const QString first = m_dir.filePath("first.pdf");
    QCOMPARE(runVector({"-q", "-sDEVICE=pdfwrite", "-sOutputFile=" + first, "-dBATCH", src},
                       nullptr, false),
             0);
    // No gsdll_exit: the next run closes the first one, which completes its PDF.
    const QString second = m_dir.filePath("second.pdf");
    QCOMPARE(runJob({src}, second), 0);
    QCOMPARE(testsupport::readPdf(first).pageCount, 2);
    QCOMPARE(testsupport::readPdf(second).pageCount, 2);
    QCOMPARE(gsdll_exit(), 0); // nothing left to shut down
}

void TestGsDll::runEndingBadlyLeavesNextRunWorking_data()
{
    QTest::addColumn<int>("ending");
    QTest::addColumn<QByteArray>("endless");
    QTest::newRow("interpreter crashes") << int(GsdllCrashed) << QByteArray("{} loop");
    QTest::newRow("run stopped") << int(GsdllStopped) << QByteArray("{} loop");
    // Asked twice, as an impatient user does: the second request belongs to
    // the same run and must not stop the next one.
    QTest::newRow("run stopped twice") << int(GsdllStopped) << QByteArray("{} loop");
    // Without its garbage collector, a document that keeps allocating.
    QTest::newRow("memory runs out")
        << int(GsdllOutOfMemory)
        << QByteArray("-2 vmreclaim /d 1000 dict def 0 { dup d exch 16000000 string put 1 add } "
                      "loop");
}

void TestGsDll::runEndingBadlyLeavesNextRunWorking()
{
    QFETCH(int, ending);
    QFETCH(QByteArray, endless);
    const bool crash = ending == GsdllCrashed;
    const QString loop = write("boucle.ps", "%!PS\n72 72 moveto (x) show showpage\n"
                                            "(avant la boucle) = flush " +
                                                endless + "\n");
    const QString out = m_dir.filePath("boucle.pdf");
    const QByteArray older = "%PDF-1.2 older\n";
    QVERIFY(testsupport::writeFile(out, older));
    gsdll_setmemorylimit(256);
    // The run goes on in its own process; this one keeps handling events,
    // and its log grows as the document speaks.
    bool acted = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (acted || !g_lines.join('|').contains("avant la boucle"))
            return;
        acted = true;
        const int pid = testsupport::runningInterpreter(0);
        if (crash && pid > 0)
            ::kill(pid, SIGSEGV);
        else if (ending == GsdllStopped)
            gsdll_stop();
        if (QByteArray(QTest::currentDataTag()).endsWith("twice"))
            QTimer::singleShot(0, [] { gsdll_stop(); });
    });
    watch.start(30);
    // Should the document never speak, the run is stopped all the same.
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [] { gsdll_stop(); });
    giveUp.start(20000);
    ProgressRecorder window;
    const int32_t result = runJob({loop}, out, 210, 297, 0, &window);
    gsdll_setmemorylimit(2048);
    QVERIFY(acted);
    QCOMPARE(result, ending);
    // One line says how the run ended, just before the closing line.
    const QString said =
        ending == GsdllCrashed   ? "L'interpréteur s'est arrêté anormalement (signal 11)."
        : ending == GsdllStopped ? "Conversion arrêtée."
                                 : "L'interpréteur a manqué de mémoire (limite : 256 Mio) : la "
                                   "conversion a échoué.";
    QCOMPARE(g_lines.size() >= 2 ? g_lines[g_lines.size() - 2] : QString(), said);
    QCOMPARE(g_lines.last(), QString("terminé..."));
    QVERIFY(!window.values.contains(100));
    // However it ended, the older PDF of that name is left whole.
    QCOMPARE(testsupport::readFile(out), older);

    const QString good = write("bon.ps", psfiles::document(2));
    QCOMPARE(runJob({good}, m_dir.filePath("bon.pdf")), 0);
    QCOMPARE(testsupport::readPdf(m_dir.filePath("bon.pdf")).pageCount, 2);
}

QTEST_GUILESS_MAIN(TestGsDll)
#include "tst_gsdll.moc"
