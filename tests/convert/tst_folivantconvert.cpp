// folivant-convert as a user runs it: options, exit codes, messages.

#include "PsFiles.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <unistd.h>

namespace {

struct Result
{
    int exitCode = -1;
    bool crashed = false;
    QString out;
    QString err;
};

QString program()
{
    return qEnvironmentVariable("FOLIVANT_TEST_BIN", QCoreApplication::applicationDirPath()) +
           "/folivant-convert";
}

Result run(const QStringList& args, const QString& workDir)
{
    QProcess p;
    p.setWorkingDirectory(workDir);
    p.start(program(), args);
    Result r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
    }
    r.crashed = p.exitStatus() != QProcess::NormalExit;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace

class TestFolivantConvert : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void helpDocumentsTheOptions();
    void terminalConventions_data();
    void terminalConventions();
    void refusedBeforeAnyRun_data();
    void refusedBeforeAnyRun();
    void pageOptions_data();
    void pageOptions();
    void relativeNamesAreTheCallers();
    void closingLineStandsAlone();
    void interpreterFailure_data();
    void interpreterFailure();
    void environmentCannotSwitchSafetyOff_data();
    void environmentCannotSwitchSafetyOff();
    void progressBarOnlyOnATerminal();
    void eachSourceItsOwnPdf();
    void signalStopsTheRun_data();
    void signalStopsTheRun();

private:
    QTemporaryDir m_dir;
    QString m_ps;
};

void TestFolivantConvert::initTestCase()
{
    QVERIFY2(QFileInfo(program()).isExecutable(), qPrintable(program()));
    m_ps = m_dir.filePath("deux pages é.ps");
    QVERIFY(testsupport::writeFile(m_ps, psfiles::document(2)));
}

void TestFolivantConvert::helpDocumentsTheOptions()
{
    const Result r = run({"--help"}, m_dir.path());
    QCOMPARE(r.exitCode, 0);
    for (const char* option : {"--output", "--compat", "--optimise", "--resolution", "--page",
                               "--landscape", "a4", "letter", "WIDTHxHEIGHT"})
        QVERIFY2(r.out.contains(QLatin1String(option)), option);
}

void TestFolivantConvert::terminalConventions_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("outStarts"); // what standard output begins with
    QTest::addColumn<QString>("errHas");
    QTest::addColumn<int>("pages");     // of the PDF on standard output, or of out.pdf
    QTest::addColumn<QString>("title"); // the PDF's, when not null
    const QByteArray three = psfiles::document(3);
    QTest::newRow("--version") << QStringList{"--version"} << QByteArray()
                               << "folivant-convert 2.0\n"
                               << "" << -1 << QString();
    QTest::newRow("source from standard input")
        << QStringList{"-o", "out.pdf", "-"} << three << "terminé..."
        << "" << 3 << QString();
    QTest::newRow("standard input between files")
        << QStringList{"-o", "out.pdf", m_ps, "-"} << three << "terminé..."
        << "" << 5 << "out";
    QTest::newRow("PDF to standard output, messages to standard error")
        << QStringList{"-c", "1.3", "-o", "-", m_ps} << QByteArray() << "%PDF-1.3"
        << "terminé..." << 2 << QString();
    // Not "standard output": the PDF is saved under a name we never learn.
    QTest::newRow("several sources to standard output, untitled")
        << QStringList{"-o", "-", m_ps, "-"} << three << "%PDF-1.2"
        << "terminé..." << 5 << "";
    QTest::newRow("compat as a version")
        << QStringList{"--compat", "1.4", "-o", "-", "-"} << three << "%PDF-1.4"
        << "terminé..." << 3 << QString();
}

void TestFolivantConvert::terminalConventions()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, input);
    QFETCH(QString, outStarts);
    QFETCH(QString, errHas);
    QFETCH(int, pages);
    QFETCH(QString, title);
    QFile::remove(m_dir.filePath("out.pdf"));
    QProcess p;
    p.setWorkingDirectory(m_dir.path());
    p.start(program(), args);
    p.write(input);
    p.closeWriteChannel();
    QVERIFY(p.waitForFinished(60000));
    const QByteArray out = p.readAllStandardOutput();
    const QString err = QString::fromUtf8(p.readAllStandardError());
    QCOMPARE(p.exitCode(), 0);
    QVERIFY2(out.startsWith(outStarts.toUtf8()), out.left(200).constData());
    QVERIFY2(err.contains(errHas), qPrintable(err));
    if (pages < 0)
        return;
    const bool pdfOnStandardOutput = outStarts.startsWith("%PDF");
    if (pdfOnStandardOutput) {
        QVERIFY(testsupport::writeFile(m_dir.filePath("out.pdf"), out));
        QVERIFY(!out.contains("terminé")); // nothing but the PDF there
    }
    const testsupport::PdfInfo pdf = testsupport::readPdf(m_dir.filePath("out.pdf"));
    QCOMPARE(pdf.pageCount, pages);
    if (!title.isNull())
        QCOMPARE(pdf.title, title);
}

void TestFolivantConvert::refusedBeforeAnyRun_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing input")
        << QStringList{"-o", "out.pdf", "nowhere.ps"} << "nowhere.ps: no such file";
    QTest::newRow("one of several missing")
        << QStringList{"-o", "out.pdf", "deux pages é.ps", "gone.ps"} << "gone.ps: no such file";
    QTest::newRow("no input") << QStringList{"-o", "out.pdf"} << "no PostScript file";
    QTest::newRow("no output") << QStringList{"deux pages é.ps"} << "no output file";
    QTest::newRow("compat out of range")
        << QStringList{"-c", "3", "-o", "out.pdf", "deux pages é.ps"} << "--compat";
    QTest::newRow("optimise not a number")
        << QStringList{"-O", "best", "-o", "out.pdf", "deux pages é.ps"} << "--optimise";
    QTest::newRow("resolution too small")
        << QStringList{"-r", "5", "-o", "out.pdf", "deux pages é.ps"} << "--resolution";
    QTest::newRow("unknown page") << QStringList{"-p", "b5", "-o", "out.pdf", "deux pages é.ps"}
                                  << "unknown page size \"b5\"";
    QTest::newRow("page below the fields' minimum")
        << QStringList{"-p", "5x100", "-o", "out.pdf", "deux pages é.ps"} << "unknown page size";
    QTest::newRow("output is an input")
        << QStringList{"-o", "deux pages é.ps", "deux pages é.ps"} << "is also an input";
    if (::link(QFile::encodeName(m_ps).constData(),
               QFile::encodeName(m_dir.filePath("second name.pdf")).constData()) != 0)
        qFatal("cannot link %s", qPrintable(m_ps));
    QTest::newRow("output is a hard link to an input")
        << QStringList{"-o", "second name.pdf", "deux pages é.ps"} << "is also an input";
    QTest::newRow("memory limit too small")
        << QStringList{"--memory-limit", "100", "-o", "out.pdf", "deux pages é.ps"}
        << "--memory-limit";
    QTest::newRow("page not a number")
        << QStringList{"-p", "nanx297", "-o", "out.pdf", "deux pages é.ps"} << "unknown page size";
}

void TestFolivantConvert::refusedBeforeAnyRun()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    QFile::remove(m_dir.filePath("out.pdf"));
    const Result r = run(args, m_dir.path());
    QVERIFY(!r.crashed);
    QVERIFY(r.exitCode != 0);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(!QFileInfo::exists(m_dir.filePath("out.pdf")));
    QVERIFY(!QFileInfo::exists(m_dir.filePath("nowhere.ps")));
}

void TestFolivantConvert::pageOptions_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QList<double>>("mediaBox");
    QTest::addColumn<QString>("version");
    QTest::newRow("defaults: letter, 1.2")
        << QStringList{} << QList<double>{0, 0, 612, 792} << "1.2";
    QTest::newRow("A4 landscape, 1.4") << QStringList{"-p", "A4", "--landscape", "-c", "2"}
                                       << QList<double>{0, 0, 842, 595} << "1.4";
    QTest::newRow("millimetres, 1.3") << QStringList{"--page", "100x200", "--compat", "1"}
                                      << QList<double>{0, 0, 283, 567} << "1.3";
    QTest::newRow("tabloid, screen, 300 dpi")
        << QStringList{"-p", "tabloid", "-O", "1", "-r", "300"} << QList<double>{0, 0, 792, 1224}
        << "1.2";
}

void TestFolivantConvert::pageOptions()
{
    QFETCH(QStringList, options);
    QFETCH(QList<double>, mediaBox);
    QFETCH(QString, version);
    const QString out = m_dir.filePath("page.pdf");
    const Result r = run(options + QStringList{"-o", out, m_ps}, m_dir.path());
    QCOMPARE(r.exitCode, 0);
    QVERIFY(r.out.endsWith("terminé...\n"));
    const testsupport::PdfInfo pdf = testsupport::readPdf(out);
    QVERIFY2(pdf.ok, qPrintable(pdf.error));
    QCOMPARE(pdf.mediaBoxes, (QList<QList<double>>{mediaBox, mediaBox}));
    QCOMPARE(pdf.version, version);
}

void TestFolivantConvert::relativeNamesAreTheCallers()
{
    const QString sub = m_dir.filePath("sub folder");
    QVERIFY(QDir().mkpath(sub));
    QVERIFY(testsupport::writeFile(sub + "/a.ps", psfiles::document(1)));
    QVERIFY(testsupport::writeFile(sub + "/b.ps", psfiles::document(3)));
    const Result r = run({"-o", "ab.pdf", "a.ps", "b.ps"}, sub);
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(testsupport::readPdf(sub + "/ab.pdf").pageCount, 4);
}

void TestFolivantConvert::closingLineStandsAlone()
{
    const QString ps = m_dir.filePath("talk.ps");
    QVERIFY(testsupport::writeFile(ps, "%!PS\n(un) print showpage (deux) print showpage\n"));
    const Result r = run({"-o", m_dir.filePath("talk.pdf"), ps}, m_dir.path());
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, QString("undeux\nterminé...\n"));
}

void TestFolivantConvert::interpreterFailure_data()
{
    QTest::addColumn<QStringList>("inputs");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("logSays");
    QTest::addColumn<QString>("errorSays");
    const QString dir = m_dir.path();
    testsupport::writeFile(dir + "/junk.ps", QByteArray("\x01\x02garbage\xff\xfe", 12));
    testsupport::writeFile(dir + "/a file", "x");
    testsupport::writeFile(dir + "/bad.ps", "%!PS\n/foo bar baz\n");
    QDir().mkpath(dir + "/a folder.pdf");
    QDir().mkpath(dir + "/read-only");
    QDir().mkpath(dir + "/small disk");
    // Twenty pages of images that no compression makes small: far beyond
    // 64 KiB as a PDF.
    QByteArray big = "%!PS\n";
    quint32 noise = 1;
    for (int page = 0; page < 20; ++page) {
        QByteArray hex;
        for (int i = 0; i < 64 * 64; ++i) {
            noise = noise * 1103515245u + 12345u;
            hex += QByteArray::number(((noise >> 16) & 0xff) | 0x100, 16).right(2);
        }
        big += "gsave 100 100 translate 200 200 scale 64 64 8 [64 0 0 64 0 0] {<" + hex +
               ">} image grestore showpage\n";
    }
    testsupport::writeFile(dir + "/big.ps", big);
    testsupport::writeFile(dir + "/greedy.ps", "%!PS\n-2 vmreclaim /d 1000 dict def\n"
                                               "0 { dup d exch 16000000 string put 1 add } loop\n");

    const QString cannot = "could not be converted";
    QTest::newRow("a folder") << QStringList{dir} << dir + "/folder.pdf" << QStringList()
                              << "n'a pas pu être converti" << cannot;
    QTest::newRow("binary junk") << QStringList{dir + "/junk.ps"} << dir + "/junk.pdf"
                                 << QStringList() << "Error" << cannot;
    QTest::newRow("the middle of three sources")
        << QStringList{m_ps, dir + "/bad.ps", m_ps} << dir + "/three.pdf" << QStringList()
        << "Le fichier source " + dir + "/bad.ps n'a pas pu être converti."
        << dir + "/bad.ps: this source could not be converted.";
    QTest::newRow("output folder missing")
        << QStringList{m_ps} << dir + "/nicht/da/out.pdf" << QStringList()
        << "le dossier " + dir + "/nicht/da n'existe pas"
        << "the folder " + dir + "/nicht/da does not exist";
    QTest::newRow("output below a file")
        << QStringList{m_ps} << dir + "/a file/out.pdf" << QStringList() << "n'est pas un dossier"
        << "is not a folder";
    QTest::newRow("output is a folder")
        << QStringList{m_ps} << dir + "/a folder.pdf" << QStringList() << "est un dossier"
        << "is a folder";
    QTest::newRow("output folder read-only")
        << QStringList{m_ps} << dir + "/read-only/out.pdf" << QStringList()
        << (::geteuid() == 0 ? "est en lecture seule" : "le droit d'écrire")
        << (::geteuid() == 0 ? "is read-only" : "no permission");
    QTest::newRow("disk full as the PDF closes")
        << QStringList{dir + "/big.ps"} << dir + "/small disk/out.pdf" << QStringList()
        << "n'a pas pu être écrit jusqu'au bout"
        << "came out incomplete";
    QTest::newRow("memory runs out") << QStringList{dir + "/greedy.ps"} << dir + "/greedy.pdf"
                                     << QStringList{"--memory-limit", "256"}
                                     << "L'interpréteur a manqué de mémoire (limite : 256 Mio)"
                                     << "the interpreter ran out of memory (limit: 256 MiB).";
}

void TestFolivantConvert::interpreterFailure()
{
    QFETCH(QStringList, inputs);
    QFETCH(QString, output);
    QFETCH(QStringList, options);
    QFETCH(QString, logSays);
    QFETCH(QString, errorSays);
    std::unique_ptr<testsupport::ReadOnlyFolder> readOnly;
    std::unique_ptr<testsupport::SmallDisk> small;
    const QFileInfo outputInfo(output);
    if (output.contains("/small disk/")) {
        small = std::make_unique<testsupport::SmallDisk>(outputInfo.path(), 64);
        if (!small->failure().isEmpty())
            QSKIP(qPrintable(small->failure()));
    }
    // An older PDF of that name stays as it was.
    const QByteArray older = "%PDF-1.4 an older one\n";
    const bool folderThere = QFileInfo(outputInfo.path()).isDir() && !outputInfo.isDir();
    if (folderThere)
        QVERIFY(testsupport::writeFile(output, older));
    if (output.contains("/read-only/")) {
        readOnly = std::make_unique<testsupport::ReadOnlyFolder>(outputInfo.path());
        QVERIFY2(readOnly->failure().isEmpty(), qPrintable(readOnly->failure()));
    }
    const Result r = run(options + QStringList{"-o", output} + inputs, m_dir.path());
    QVERIFY(!r.crashed);
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.out.contains(logSays), qPrintable(r.out));
    QVERIFY(r.out.endsWith("terminé...\n"));
    QVERIFY2(r.err.contains(errorSays), qPrintable(r.err));
    if (folderThere) {
        QCOMPARE(testsupport::readFile(output), older);
        QCOMPARE(outputInfo.dir().entryList({".folivant-*"}, QDir::Hidden | QDir::Files),
                 QStringList());
    }
}

void TestFolivantConvert::environmentCannotSwitchSafetyOff_data()
{
    QTest::addColumn<QString>("setting");
    // Each of the library's variables, set as one would to get out.
    QTest::newRow("GS_OPTIONS") << "GS_OPTIONS=-dNOSAFER";
    QTest::newRow("GS_LIB") << "GS_LIB=/etc";
    QTest::newRow("GS_FONTPATH") << "GS_FONTPATH=/etc";
    QTest::newRow("GS_DEVICE") << "GS_DEVICE=txtwrite";
    QTest::newRow("CIDFSUBSTPATH") << "CIDFSUBSTPATH=/etc/";
    QTest::newRow("CIDFSUBSTFONT") << "CIDFSUBSTFONT=passwd";
    QTest::newRow("TEMP") << "TEMP=/etc";
    QTest::newRow("TMP") << "TMP=/etc";
    QTest::newRow("TMPDIR") << "TMPDIR=/etc";
    QTest::newRow("FONTCONFIG_FILE") << "FONTCONFIG_FILE=/etc/passwd";
}

void TestFolivantConvert::environmentCannotSwitchSafetyOff()
{
    QFETCH(QString, setting);
    const QString marker = m_dir.filePath("escaped");
    QFile::remove(marker);
    // The document tries to read a system file, run a command and write
    // beside itself; each attempt says how it went.
    const QString ps = m_dir.filePath("escape.ps");
    QVERIFY(testsupport::writeFile(
        ps, "%!PS\n"
            "{ (/etc/passwd) (r) file 200 string readstring pop (READ:) print print } stopped "
            "{ (no read) = } if\n"
            "{ (%pipe%touch " +
                QFile::encodeName(marker) +
                ") (w) file closefile } stopped "
                "{ (no pipe) = } if\n"
                "{ (" +
                QFile::encodeName(marker) +
                ") (w) file closefile } stopped "
                "{ (no write) = } if\n"
                "72 72 moveto 9 9 lineto stroke showpage\n"));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(setting.section('=', 0, 0), setting.section('=', 1));
    p.setProcessEnvironment(env);
    p.start(program(), {"-o", m_dir.filePath("escape.pdf"), ps});
    QVERIFY(p.waitForFinished(60000));
    const QString said = QString::fromUtf8(p.readAllStandardOutput());
    QCOMPARE(p.exitCode(), 0);
    QVERIFY2(!said.contains("READ:"), qPrintable(said));
    QVERIFY2(said.contains("no read") && said.contains("no pipe") && said.contains("no write"),
             qPrintable(said));
    QVERIFY(!QFileInfo::exists(marker));
    QCOMPARE(testsupport::readPdf(m_dir.filePath("escape.pdf")).pageCount, 1);
}

void TestFolivantConvert::progressBarOnlyOnATerminal()
{
    const QString out = m_dir.filePath("bar.pdf");
    // Not a terminal: stderr stays clean.
    Result r = run({"-o", out, m_ps}, m_dir.path());
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.err, QString());

    // On a terminal the bar is drawn and ends full.
    const QString script = QStandardPaths::findExecutable("script");
    if (script.isEmpty())
        QSKIP("no script(1) to give the program a terminal");
    QProcess p;
    p.setWorkingDirectory(m_dir.path());
    const QString plain = m_dir.filePath("bar.ps"); // no blanks: script takes one command line
    QVERIFY(testsupport::writeFile(plain, psfiles::document(3)));
    p.start(script, {"-qec", QStringList{program(), "-o", out, plain}.join(' '), "/dev/null"});
    QVERIFY(p.waitForFinished(60000));
    const QString tty = QString::fromUtf8(p.readAllStandardOutput());
    QVERIFY2(tty.contains("100%"), qPrintable(tty));
    QVERIFY(tty.contains("\r["));
}

void TestFolivantConvert::eachSourceItsOwnPdf()
{
    const QString in = m_dir.filePath("lot d'entrée");
    const QString out = m_dir.filePath("lot de sortie");
    QVERIFY(QDir().mkpath(in) && QDir().mkpath(out));
    QStringList sources;
    for (int pages = 1; pages <= 4; ++pages) {
        sources << in + QStringLiteral("/%1 pages é.ps").arg(pages);
        QVERIFY(testsupport::writeFile(sources.last(), psfiles::document(pages)));
    }
    sources << in + "/cassé.ps" << in + "/-tiret.ps";
    QVERIFY(testsupport::writeFile(sources[4], "%!PS\n/foo bar baz\n"));
    QVERIFY(testsupport::writeFile(sources[5], psfiles::document(2)));
    const QByteArray older = "%PDF-1.4 kept\n";
    QVERIFY(testsupport::writeFile(out + "/2 pages é.pdf", older));

    const Result r =
        run(QStringList{"--each", "-d", out, "-j", "3", "-p", "a4"} + sources, m_dir.path());
    QCOMPARE(r.exitCode, 2); // one source failed
    QVERIFY2(r.err.contains("cassé.ps: Error: /undefined in bar"), qPrintable(r.err));
    QVERIFY2(r.err.contains("2 pages é.pdf exists; kept"), qPrintable(r.err));
    QVERIFY2(r.err.endsWith("folivant-convert: 4 PDFs written, 1 kept, 1 failed.\n"),
             qPrintable(r.err));
    QCOMPARE(testsupport::readFile(out + "/2 pages é.pdf"), older);
    for (const int pages : {1, 3, 4}) {
        const testsupport::PdfInfo pdf =
            testsupport::readPdf(out + QStringLiteral("/%1 pages é.pdf").arg(pages));
        QCOMPARE(pdf.pageCount, pages);
        QCOMPARE(pdf.mediaBoxes.first(), (QList<double>{0, 0, 595, 842}));
    }
    QCOMPARE(testsupport::readPdf(out + "/-tiret.pdf").pageCount, 2);
    QVERIFY(!QFileInfo::exists(out + "/cassé.pdf"));
    QCOMPARE(QDir(out).entryList({".folivant-*"}, QDir::Hidden | QDir::Files), QStringList());

    // --force replaces what exists.
    const Result again = run(QStringList{"--each", "--force", "-d", out, sources[1]}, m_dir.path());
    QCOMPARE(again.exitCode, 0);
    QCOMPARE(testsupport::readPdf(out + "/2 pages é.pdf").pageCount, 2);
}

void TestFolivantConvert::signalStopsTheRun_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("ignored"); // from the start, and sent first; 0 for none
    QTest::newRow("SIGTERM") << int(SIGTERM) << 143 << 0;
    QTest::newRow("SIGINT") << int(SIGINT) << 130 << 0;
    QTest::newRow("SIGHUP, the terminal closed") << int(SIGHUP) << 129 << 0;
    QTest::newRow("SIGHUP under nohup goes on, SIGTERM stops")
        << int(SIGTERM) << 143 << int(SIGHUP);
}

void TestFolivantConvert::signalStopsTheRun()
{
    QFETCH(int, signal);
    QFETCH(int, status);
    QFETCH(int, ignored);
    const QString loop = m_dir.filePath("boucle.ps");
    QVERIFY(testsupport::writeFile(loop, "%!PS\n72 72 moveto 9 9 lineto stroke showpage\n"
                                         "(en boucle) = flush {} loop\n"));
    const QString out = m_dir.filePath("boucle.pdf");
    QProcess p;
    if (ignored != 0)
        p.setChildProcessModifier([ignored] { ::signal(ignored, SIG_IGN); });
    p.start(program(), {"-o", out, loop});
    QVERIFY(p.waitForStarted());
    QByteArray said;
    while (!said.contains("en boucle") && p.waitForReadyRead(20000))
        said += p.readAllStandardOutput();
    QVERIFY2(said.contains("en boucle"), said.constData());
    if (ignored != 0) {
        ::kill(pid_t(p.processId()), ignored);
        QVERIFY(!p.waitForFinished(1000));
    }
    ::kill(pid_t(p.processId()), signal);
    QVERIFY(p.waitForFinished(20000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), status);
    said += p.readAllStandardOutput();
    QVERIFY2(said.endsWith("Conversion arrêtée.\nterminé...\n"), said.constData());
    QVERIFY(!QFileInfo::exists(out));
    QCOMPARE(QDir(m_dir.path()).entryList({".folivant-*"}, QDir::Files | QDir::Hidden),
             QStringList());
}

QTEST_GUILESS_MAIN(TestFolivantConvert)
#include "tst_folivantconvert.moc"
