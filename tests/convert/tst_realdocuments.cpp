// Documents that other programs made, and documents that misbehave, on the
// real interpreter: colour spaces that PDF 1.2 cannot take, sources that
// change the page device for the next, sources that quit, documents that
// reach for the temporary folder, sources without a page; the outline and
// title of a merged PDF; illustrations placed on the page.

#include "convert/ConsoleOutput.h"
#include "convert/ConversionJob.h"
#include "convert/PageSize.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <map>

using namespace convert;

using namespace testsupport;

namespace {

// A colour as 0xRRGGBB.
using Rgb = uint32_t;
int red(Rgb c)
{
    return int(c >> 16 & 0xff);
}
int green(Rgb c)
{
    return int(c >> 8 & 0xff);
}
int blue(Rgb c)
{
    return int(c & 0xff);
}

QStringList g_lines;

int32_t recordLines(int32_t message, char* str, uint32_t count)
{
    return consoleAnswer(message, str, count, [](const QString& line) { g_lines << line; });
}

int32_t runJob(const QStringList& sources, const QString& output, int compat = 0,
               double widthMm = 215.90, double heightMm = 279.40)
{
    JobInput job;
    job.sources = sources;
    job.outputName = output;
    job.compatIndex = compat;
    job.widthMm = widthMm;
    job.heightMm = heightMm;
    g_lines.clear();
    return RunConversion(job, recordLines, nullptr);
}

bool runTool(const QString& program, const QStringList& args, const QByteArray& input = {},
             QByteArray* output = nullptr)
{
    QProcess p;
    p.start(program, args);
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return false;
    if (output)
        *output = p.readAllStandardOutput();
    return true;
}

// The colours that cover a fair part of the first page, as pdftoppm draws it.
std::map<Rgb, int> mainColours(const QString& pdf)
{
    const QString stem = pdf + ".render";
    std::map<Rgb, int> colours;
    if (!runTool(QStringLiteral("pdftoppm"), {"-r", "18", "-singlefile", pdf, stem}))
        return colours;
    const QByteArray ppm = readFile(stem + ".ppm");
    // "P6 width height 255" then the pixels.
    const QList<QByteArray> header = ppm.left(40).simplified().split(' ');
    if (header.size() < 4 || header[0] != "P6")
        return colours;
    const int pixels = header[1].toInt() * header[2].toInt();
    const QByteArray data = ppm.right(pixels * 3);
    for (int i = 0; i + 2 < data.size(); i += 3)
        ++colours[Rgb(uchar(data[i])) << 16 | Rgb(uchar(data[i + 1])) << 8 |
                  Rgb(uchar(data[i + 2]))];
    for (auto it = colours.begin(); it != colours.end();)
        it = it->second < 12 ? colours.erase(it) : std::next(it);
    return colours;
}

bool sameColours(const std::map<Rgb, int>& a, const std::map<Rgb, int>& b, QString& why)
{
    const auto near = [](Rgb x, Rgb y) {
        return std::abs(red(x) - red(y)) <= 6 && std::abs(green(x) - green(y)) <= 6 &&
               std::abs(blue(x) - blue(y)) <= 6;
    };
    for (const auto& [colour, count] : a) {
        if (std::none_of(b.begin(), b.end(), [&](const auto& c) { return near(c.first, colour); }))
            why += QString::asprintf(" #%06x (%d px) only at PDF 1.2;", colour, count);
    }
    for (const auto& [colour, count] : b) {
        if (std::none_of(a.begin(), a.end(), [&](const auto& c) { return near(c.first, colour); }))
            why += QString::asprintf(" #%06x (%d px) only at PDF 1.4;", colour, count);
    }
    return why.isEmpty();
}

// A one-page PDF with an ICC-based RGB image, as scanners and office suites
// write them; pdftops turns its colour space into a CIE-based one.
QByteArray iccImagePdf(const QByteArray& profile)
{
    const QByteArray pixels = QByteArray::fromHex("ff000000ff000000ff808080"
                                                  "ffff0000ffffff00ff204060");
    const QByteArray content = "q 160 0 0 80 20 60 cm /Im1 Do Q";
    QList<QByteArray> objects;
    objects << "<< /Type /Catalog /Pages 2 0 R >>"
            << "<< /Type /Pages /Kids [3 0 R] /Count 1 >>"
            << "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] "
               "/Resources << /XObject << /Im1 4 0 R >> >> /Contents 5 0 R >>"
            << "<< /Type /XObject /Subtype /Image /Width 4 /Height 2 /ColorSpace [/ICCBased 6 "
               "0 R] /BitsPerComponent 8 /Length " +
                   QByteArray::number(pixels.size()) + " >>\nstream\n" + pixels + "\nendstream"
            << "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content +
                   "\nendstream"
            << "<< /N 3 /Alternate /DeviceRGB /Length " + QByteArray::number(profile.size()) +
                   " >>\nstream\n" + profile + "\nendstream";
    QByteArray pdf = "%PDF-1.4\n";
    QList<int> offsets;
    for (int i = 0; i < objects.size(); ++i) {
        offsets << int(pdf.size());
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const int xref = int(pdf.size());
    pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (int offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

int pageComments(const QString& ps)
{
    return int(readFile(ps).count("\n%%Page: "));
}

// Where a page's ink lies, [llx lly urx ury], as the interpreter's bounding
// box device measures it: of the first page of a PDF, or of an EPS drawn
// where it stands.
QList<double> inkBox(const QString& file)
{
    QProcess gs;
    gs.setProcessChannelMode(QProcess::MergedChannels);
    gs.start("gs",
             {"-q", "-dNOPAUSE", "-dBATCH", "-dSAFER", "-sDEVICE=bbox", "-dLastPage=1", file});
    gs.waitForFinished(60000);
    for (const QByteArray& line : gs.readAll().split('\n')) {
        if (!line.startsWith("%%HiResBoundingBox:"))
            continue;
        QList<double> box;
        for (const QByteArray& value : line.mid(19).simplified().split(' '))
            box << value.toDouble();
        return box;
    }
    return {};
}

// An outline as "title@page" entries.
QStringList entries(const PdfInfo& pdf)
{
    QStringList out;
    for (const auto& [title, page] : pdf.outline)
        out << QStringLiteral("%1@%2").arg(title).arg(page);
    return out;
}

} // namespace

class TestRealDocuments : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cieColourAtPdf12_data();
    void cieColourAtPdf12();
    void everySourceStartsAsTheFirst_data();
    void everySourceStartsAsTheFirst();
    void quittingSourceEndsOnlyItself_data();
    void quittingSourceEndsOnlyItself();
    void temporaryFolderIsClosedToDocuments();
    void outlineAndTitle_data();
    void outlineAndTitle();
    void illustrationFillsThePage_data();
    void illustrationFillsThePage();

private:
    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        if (!writeFile(path, bytes))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    QTemporaryDir m_dir;
    QTemporaryDir m_systemTemp;    // stands for the system's temporary folder
    QMap<QString, QString> m_made; // documents made by other programs
    QMap<QString, QString> m_eps;  // illustrations, by the program that made them
};

void TestRealDocuments::initTestCase()
{
    QVERIFY(m_dir.isValid() && m_systemTemp.isValid());
    // The interpreter's own folder is made in the system's temporary folder.
    qputenv("TMPDIR", QFile::encodeName(m_systemTemp.path()));

    for (const char* tool : {"groff", "enscript", "pdftops", "pdftoppm", "gnuplot", "gs"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            QFAIL(qPrintable(QStringLiteral("%1 is missing: scripts/deps.sh installs it")
                                 .arg(QLatin1String(tool))));
    }
    // A man page set by groff, on A4.
    QByteArray man = ".TH ESSAI 1 \"2026\" \"Folivant\"\n.SH NAME\nessai \\- une page\n"
                     ".SH DESCRIPTION\n";
    for (int i = 0; i < 90; ++i)
        man += "Paragraphe " + QByteArray::number(i) +
               " du manuel, assez long pour remplir "
               "une ligne entière et un peu plus, afin de passer sur deux pages.\n.PP\n";
    QByteArray ps;
    QVERIFY(runTool("groff", {"-man", "-Tps", "-P-pa4"}, man, &ps));
    m_made["groff"] = write("groff.ps", ps);
    // A listing by enscript, on A4.
    QByteArray listing;
    for (int i = 0; i < 130; ++i)
        listing += "ligne " + QByteArray::number(i) + " de la liste\n";
    const QString text = write("liste.txt", listing);
    m_made["enscript"] = m_dir.filePath("enscript.ps");
    QVERIFY(runTool("enscript", {"-q", "-M", "A4", "-p", m_made["enscript"], text}));
    // A PDF printed again by pdftops: it sets its own page device policies.
    const QString pdf = m_dir.filePath("manuel.pdf");
    QCOMPARE(runJob({m_made["groff"]}, pdf, 2, 210, 297), 0);
    m_made["pdftops"] = m_dir.filePath("pdftops.ps");
    QVERIFY(runTool("pdftops", {pdf, m_made["pdftops"]}));
    for (const QString& made : m_made)
        QVERIFY2(pageComments(made) >= 2, qPrintable(made));

    // Figures by gnuplot, as its two EPS terminals write them.
    m_eps["gnuplot"] = m_dir.filePath("courbe.eps");
    m_eps["cairo"] = m_dir.filePath("cairo.eps");
    QVERIFY(runTool("gnuplot", {"-e", "set terminal postscript eps size 4,3; set output '" +
                                          m_eps["gnuplot"] + "'; plot sin(x)"}));
    QVERIFY(runTool("gnuplot", {"-e", "set terminal epscairo size 4cm,3cm; set output '" +
                                          m_eps["cairo"] + "'; plot cos(x) with boxes"}));
    QByteArray figure = readFile(m_eps["gnuplot"]);
    QVERIFY(figure.startsWith("%!PS-Adobe-2.0 EPSF-2.0\n") && figure.contains("\nshowpage\n"));
    m_eps["no showpage"] = write("sans-showpage.eps", figure.replace("\nshowpage\n", "\n"));
}

void TestRealDocuments::cieColourAtPdf12_data()
{
    QTest::addColumn<QString>("source");
    // Five lines are enough: an image in a CIE-based space, as a PDF 1.2 run.
    const QByteArray abc = "[/CIEBasedABC << /WhitePoint [0.9505 1 1.089] /MatrixLMN [0.4124 "
                           "0.2126 0.0193 0.3576 0.7152 0.1192 0.1805 0.0722 0.9505] >>]";
    QTest::newRow("indexed CIEBasedABC")
        << write("indexed.ps", "%!PS\n100 300 translate 300 300 scale\n[/Indexed " + abc +
                                   " 2 <ff0000 0000ff ffffff>] setcolorspace\n"
                                   "<< /ImageType 1 /Width 2 /Height 2 /BitsPerComponent 8 "
                                   "/Decode [0 255] /ImageMatrix [2 0 0 -2 0 2] /DataSource "
                                   "<00010200> >> image\nshowpage\n");
    QTest::newRow("CIEBasedABC") << write(
        "abc.ps", "%!PS\n100 300 translate 300 300 scale\n" + abc +
                      " setcolorspace\n<< /ImageType 1 /Width 2 /Height 1 /BitsPerComponent 8 "
                      "/Decode [0 1 0 1 0 1] /ImageMatrix [2 0 0 -1 0 1] /DataSource "
                      "<ff00000000ff> >> image\nshowpage\n");
    QTest::newRow("CIEBasedA") << write(
        "gray.ps", "%!PS\n100 300 translate 300 300 scale\n[/CIEBasedA << /WhitePoint [0.9505 "
                   "1 1.089] /MatrixA [0.9505 1 1.089] >>] setcolorspace\n<< /ImageType 1 "
                   "/Width 2 /Height 1 /BitsPerComponent 8 /Decode [0 1] /ImageMatrix [2 0 0 "
                   "-1 0 1] /DataSource <00ff> >> image\nshowpage\n");
    const QByteArray profile = readFile("/usr/share/color/icc/ghostscript/srgb.icc");
    if (!profile.isEmpty()) {
        const QString pdf = write("icc.pdf", iccImagePdf(profile));
        const QString ps = m_dir.filePath("icc.ps");
        if (runTool("pdftops", {pdf, ps}))
            QTest::newRow("ICC image printed by pdftops") << ps;
    }
}

void TestRealDocuments::cieColourAtPdf12()
{
    QFETCH(QString, source);
    const QString at12 = source + "-1.2.pdf";
    const QString at14 = source + "-1.4.pdf";
    QCOMPARE(runJob({source}, at12, 0), 0);
    QVERIFY(readFile(at12).startsWith("%PDF-1.2"));
    QCOMPARE(readPdf(at12).pageCount, 1);
    QCOMPARE(runJob({source}, at14, 2), 0);
    // The same colours on the page at both levels.
    const std::map<Rgb, int> colours12 = mainColours(at12);
    QVERIFY(colours12.size() >= 2);
    QString why;
    QVERIFY2(sameColours(colours12, mainColours(at14), why), qPrintable(why));
}

void TestRealDocuments::everySourceStartsAsTheFirst_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    for (const char* a : {"groff", "enscript", "pdftops"}) {
        for (const char* b : {"groff", "enscript", "pdftops"})
            QTest::newRow(qPrintable(QStringLiteral("%1 then %2").arg(a, b))) << a << b;
    }
}

void TestRealDocuments::everySourceStartsAsTheFirst()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    const QString out = m_dir.filePath(first + "-" + second + ".pdf");
    // Letter: neither document's own A4, so the fixed size is asked of both.
    QCOMPARE(runJob({m_made[first], m_made[second]}, out), 0);
    const PdfInfo pdf = readPdf(out);
    QVERIFY2(pdf.ok, qPrintable(pdf.error));
    QCOMPARE(pdf.pageCount, pageComments(m_made[first]) + pageComments(m_made[second]));
    for (const QList<double>& box : pdf.mediaBoxes)
        QCOMPARE(box, (QList<double>{0, 0, 612, 792}));
}

void TestRealDocuments::quittingSourceEndsOnlyItself_data()
{
    QTest::addColumn<QByteArray>("firstSource");
    QTest::addColumn<int>("pages");
    QTest::addColumn<bool>("firstIsEmpty");
    const QByteArray page = "%!PS\n72 72 moveto 200 200 lineto stroke showpage\n";
    QTest::newRow("showpage quit") << page + "quit\n" << 3 << false;
    QTest::newRow("quit from systemdict")
        << QByteArray("%!PS\nsystemdict /quit get exec\n") << 2 << true;
    QTest::newRow("empty file") << QByteArray() << 2 << true;
}

void TestRealDocuments::quittingSourceEndsOnlyItself()
{
    QFETCH(QByteArray, firstSource);
    QFETCH(int, pages);
    QFETCH(bool, firstIsEmpty);
    const QString first = write("premier.ps", firstSource);
    const QString second = write("second.ps", "%!PS\n0 0 moveto 100 100 lineto stroke showpage\n"
                                              "0 0 moveto 100 50 lineto stroke showpage\n");
    const QString out = m_dir.filePath("quit.pdf");
    QCOMPARE(runJob({first, second}, out), 0);
    QCOMPARE(readPdf(out).pageCount, pages);
    const QString emptyLine = QStringLiteral("Le fichier source %1 ne contient aucune page.");
    QCOMPARE(g_lines.contains(emptyLine.arg(first)), firstIsEmpty);
    QVERIFY(!g_lines.contains(emptyLine.arg(second)));
}

void TestRealDocuments::temporaryFolderIsClosedToDocuments()
{
    const QString system = m_systemTemp.path();
    const QString secret = system + "/secret.txt";
    QVERIFY(writeFile(secret, "secret"));
    // Each attempt prints whether the interpreter let it through.
    const QByteArray attempts = "/try { stopped { (refusé) } { (PERMIS) } ifelse = } def\n"
                                "{ (" +
                                secret.toUtf8() +
                                ") (r) file 10 string readstring pop pop } try\n"
                                "{ (" +
                                system.toUtf8() +
                                "/nouveau.txt) (w) file closefile } try\n"
                                "{ (" +
                                secret.toUtf8() + ") (" + system.toUtf8() +
                                "/autre.txt) renamefile } try\n"
                                "{ (" +
                                secret.toUtf8() + ") deletefile } try\n";
    const QString doc = write("curieux.ps", "%!PS\n" + attempts + "showpage\n");
    QCOMPARE(runJob({doc}, m_dir.filePath("curieux.pdf")), 0);
    // Output calls may hold several lines.
    const QString said = g_lines.join(QLatin1Char('|'));
    QVERIFY2(said.count("refusé") == 4 && !said.contains("PERMIS"), qPrintable(said));
    QCOMPARE(readFile(secret), QByteArray("secret"));
    // The interpreter's own folder went with the run.
    QCOMPARE(QDir(system).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{"secret.txt"});
}

void TestRealDocuments::outlineAndTitle_data()
{
    QTest::addColumn<QStringList>("sources");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("outline");
    const QByteArray page = "/Helvetica findfont 20 scalefont setfont 72 700 moveto (x) show "
                            "showpage\n";
    const QString utf8 = write("été.ps", "%!PS-Adobe-3.0\n%%Title: Premier été\n"
                                         "%%Creator: a2ps version 4.14\n%%EndComments\n" +
                                             page);
    const QString latin1 = write("latin.ps", "%!PS-Adobe-3.0\r\n%%Title: Deuxi\xe8me\r\n%%"
                                             "Creator: PSCRIPT5.DLL\r\n%%EndComments\r\n" +
                                                 page + page);
    const QString escaped = write("échappé.ps", "%!PS-Adobe-3.0\n%%Title: (Troisi\\350me "
                                                "\\(fin\\))\n%%EndComments\n" +
                                                    page);
    const QString untitled = write("sans titre.ps", "%!PS\n" + page);
    const QString empty = write("vide.ps", "%!PS-Adobe-3.0\n%%Title: Vide\n%%EndComments\n");

    QTest::newRow("titles in every encoding, an empty source")
        << QStringList{utf8, empty, latin1, escaped, untitled} << "Récit complet.pdf"
        << "Récit complet"
        << QStringList{"Premier été@1", "Deuxième@2", "Troisième (fin)@4", "sans titre@5"};
    QTest::newRow("the same source twice")
        << QStringList{latin1, latin1} << "deux.fois.pdf"
        << "deux.fois" << QStringList{"Deuxième@1", "Deuxième@3"};
    const int groffPages = pageComments(m_made["groff"]);
    QTest::newRow("documents of other programs")
        << QStringList{m_made["groff"], m_made["enscript"], m_made["pdftops"]} << "manuels.pdf"
        << "manuels"
        << QStringList{
               "groff@1", QStringLiteral("Enscript Output@%1").arg(groffPages + 1),
               QStringLiteral("pdftops@%1").arg(groffPages + pageComments(m_made["enscript"]) + 1)};
    QTest::newRow("one source: its own title, no outline") << QStringList{utf8} << "seul.pdf"
                                                           << "Premier été" << QStringList{};
    QTest::newRow("one source without a title")
        << QStringList{untitled} << "seul.pdf" << QString() << QStringList{};
}

void TestRealDocuments::outlineAndTitle()
{
    QFETCH(QStringList, sources);
    QFETCH(QString, output);
    QFETCH(QString, title);
    QFETCH(QStringList, outline);
    const QString out = m_dir.filePath(output);
    QFile::remove(out);
    QCOMPARE(runJob(sources, out), 0);
    const PdfInfo pdf = readPdf(out);
    QVERIFY2(pdf.ok, qPrintable(pdf.error));
    QCOMPARE(entries(pdf), outline);
    QCOMPARE(pdf.title, title);
    QCOMPARE(pdf.creator, QStringLiteral("Folivant 2.0"));
}

void TestRealDocuments::illustrationFillsThePage_data()
{
    QTest::addColumn<QString>("figure");
    QTest::addColumn<double>("widthMm");
    QTest::addColumn<double>("heightMm");
    QTest::newRow("gnuplot on A4") << "gnuplot" << 210.0 << 297.0;
    QTest::newRow("gnuplot on landscape letter") << "gnuplot" << 279.40 << 215.90;
    QTest::newRow("gnuplot without showpage") << "no showpage" << 210.0 << 297.0;
    QTest::newRow("cairo, at the origin") << "cairo" << 210.0 << 297.0;
}

void TestRealDocuments::illustrationFillsThePage()
{
    QFETCH(QString, figure);
    QFETCH(double, widthMm);
    QFETCH(double, heightMm);
    const QString eps = m_eps[figure];
    // Another source after it: the figure keeps a page of its own.
    const QString next = write("suite.ps", "%!PS\n72 72 moveto 200 200 lineto stroke showpage\n");
    const QString out = m_dir.filePath(figure + ".pdf");
    QCOMPARE(runJob({eps, next}, out, 0, widthMm, heightMm), 0);
    QCOMPARE(readPdf(out).pageCount, 2);

    // The ink as the figure draws it where it stands, moved as its box is
    // when that is scaled to fit the page and centred.
    const QList<double> drawn = inkBox(eps);
    const QByteArray source = readFile(eps);
    const qsizetype at = source.indexOf("\n%%BoundingBox:") + 15;
    const QList<QByteArray> box =
        source.mid(at, source.indexOf('\n', at) - at).simplified().split(' ');
    QCOMPARE(drawn.size(), 4);
    QCOMPARE(box.size(), 4);
    const double llx = box[0].toDouble(), lly = box[1].toDouble();
    const double w = box[2].toDouble() - llx, h = box[3].toDouble() - lly;
    const double pageW = mmToPoints(widthMm), pageH = mmToPoints(heightMm);
    const double scale = std::min(pageW / w, pageH / h);
    const double dx = (pageW - scale * w) / 2, dy = (pageH - scale * h) / 2;
    const QList<double> expected{dx + scale * (drawn[0] - llx), dy + scale * (drawn[1] - lly),
                                 dx + scale * (drawn[2] - llx), dy + scale * (drawn[3] - lly)};
    const QList<double> placed = inkBox(out);
    QCOMPARE(placed.size(), 4);
    for (int i = 0; i < 4; ++i)
        QVERIFY2(std::abs(placed[i] - expected[i]) < 2.0,
                 qPrintable(QStringLiteral("ink %1 %2 %3 %4, expected %5 %6 %7 %8")
                                .arg(placed[0])
                                .arg(placed[1])
                                .arg(placed[2])
                                .arg(placed[3])
                                .arg(expected[0])
                                .arg(expected[1])
                                .arg(expected[2])
                                .arg(expected[3])));
}

QTEST_GUILESS_MAIN(TestRealDocuments)
#include "tst_realdocuments.moc"
