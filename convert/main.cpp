// folivant-convert: the window's conversion from a terminal. Same vector,
// same interpreter component; the interpreter's output goes to stdout.

#include "convert/BatchRun.h"
#include "convert/ConversionJob.h"
#include "convert/PageSize.h"
#include "convert/WmUser.h"
#include "platform/StopSignals.h"
#include "platform/Terminal.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <cstdio>

namespace convert {
namespace {

// The signal handler's one note: SIGINT or SIGTERM came.
std::atomic<int> g_stopSignal{0};
// What the console callback, a plain function, needs to know of the
// terminal: whether the bar is on its last line, and whether the messages'
// last byte was no line feed.
bool g_barShown = false;
bool g_lineOpen = false;

// Where the callback prints: standard error when the PDF goes to standard
// output.
FILE* g_messages = stdout;

int32_t printOutput(int32_t message, char* str, uint32_t count)
{
    if (message == GsdllInputWanted)
        return 1; // a document that reads its input gets the line feed in the buffer
    if (message != GsdllOutput)
        return 0;
    if (g_barShown && count > 0) {
        // Clear the bar's line so the text does not run into it; the next
        // progress report draws it again below.
        std::fputs("\r\x1b[K", stderr);
        g_barShown = false;
    }
    std::fwrite(str, 1, count, g_messages);
    if (count > 0)
        g_lineOpen = str[count - 1] != '\n';
    std::fflush(g_messages);
    return int32_t(count);
}

// Draws the component's progress on a terminal, on one line.
class ProgressBar : public QObject
{
public:
    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::Type(WM_USER))
            return QObject::event(e);
        const int percent = int(static_cast<WmUserEvent*>(e)->wParam());
        const int filled = std::clamp(percent, 0, 100) * Width / 100;
        std::fprintf(stderr, "\r[%.*s%*s] %3d%%", filled, Bar, Width - filled, "", percent);
        std::fflush(stderr);
        g_barShown = true;
        return true;
    }
    void finish()
    {
        if (g_barShown)
            std::fputc('\n', stderr);
        g_barShown = false;
    }

private:
    static constexpr int Width = 40;
    static constexpr const char* Bar = "########################################";
};

bool parsePage(const QString& text, double& width, double& height)
{
    const QString key = text.trimmed().toLower();
    if (const PagePreset* preset = findPagePreset(key)) {
        width = preset->widthMm;
        height = preset->heightMm;
        return true;
    }
    const QStringList parts = key.split(QLatin1Char('x'));
    if (parts.size() != 2)
        return false;
    bool okW = false;
    bool okH = false;
    const double w = parts[0].trimmed().toDouble(&okW);
    const double h = parts[1].trimmed().toDouble(&okH);
    // The bounds of the window's millimetre fields; written so that "nan" fails.
    if (!okW || !okH || !(w >= 10 && w <= 10000) || !(h >= 10 && h <= 10000))
        return false;
    width = w;
    height = h;
    return true;
}

void stopOnSignal(int signal)
{
    g_stopSignal = signal;
    gsdll_stop();
}

int fail(const QString& message)
{
    std::fprintf(stderr, "folivant-convert: %s\n", qPrintable(message));
    return 2;
}

// --compat: the window's index, or the version it stands for.
bool parseCompat(const QString& text, int& index)
{
    const QStringList versions{QStringLiteral("1.2"), QStringLiteral("1.3"), QStringLiteral("1.4")};
    index = int(versions.indexOf(text.trimmed()));
    if (index >= 0)
        return true;
    bool ok = false;
    index = text.toInt(&ok);
    return ok && index >= 0 && index <= 2;
}

void printVersion()
{
    QProcess library;
    library.start(QCoreApplication::applicationDirPath() + QStringLiteral("/folivant-interpreter"),
                  {QStringLiteral("--library")});
    QString revision = library.waitForFinished(10000)
                           ? QString::fromUtf8(library.readAllStandardOutput()).trimmed()
                           : QString();
    if (revision.isEmpty())
        revision = QStringLiteral("Ghostscript (its interpreter program did not answer)");
    std::printf("folivant-convert %s\n"
                "Copyright (C) the Folivant authors. License AGPL-3.0-or-later: GNU Affero\n"
                "General Public License, version 3 or later. This is free software: you may\n"
                "change and share it; there is NO WARRANTY, to the extent permitted by law.\n"
                "Converts with %s, Artifex Software's interpreter library\n"
                "(libgs, https://www.ghostscript.com/), licensed under AGPL-3.0-or-later.\n",
                qPrintable(QCoreApplication::applicationVersion()), qPrintable(revision));
}

// Copies all of `from` into `to`; false on a read or write error.
bool copyAll(QIODevice& from, QIODevice& to)
{
    char buffer[65536];
    for (;;) {
        const qint64 n = from.read(buffer, sizeof buffer);
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        if (to.write(buffer, n) != n)
            return false;
    }
}

// --each: every source its own PDF, several runs at once.
int runEach(const QCommandLineParser& parser, const QCommandLineOption& folderOpt,
            const QCommandLineOption& jobsOpt, const QCommandLineOption& forceOpt,
            const QCommandLineOption& outputOpt, const JobInput& job, uint memoryLimit)
{
    if (parser.isSet(outputOpt))
        return fail(QStringLiteral("--each writes one PDF per source: give a folder with -d, "
                                   "not -o."));
    const QString folder = parser.value(folderOpt);
    if (folder.isEmpty())
        return fail(QStringLiteral("--each needs a folder for the PDFs: -d FOLDER."));
    if (!QFileInfo(folder).isDir())
        return fail(QStringLiteral("%1: no such folder.").arg(folder));
    BatchInput batch;
    batch.program = QCoreApplication::applicationFilePath();
    batch.folder = QFileInfo(folder).absoluteFilePath();
    batch.force = parser.isSet(forceOpt);
    batch.jobs = QThread::idealThreadCount();
    if (parser.isSet(jobsOpt)) {
        bool ok = false;
        batch.jobs = parser.value(jobsOpt).toInt(&ok);
        if (!ok || batch.jobs < 1 || batch.jobs > 256)
            return fail(QStringLiteral("--jobs takes a whole number from 1 to 256."));
    }
    batch.options = {QStringLiteral("-c"),
                     QString::number(job.compatIndex),
                     QStringLiteral("-O"),
                     QString::number(job.optiIndex),
                     QStringLiteral("-r"),
                     QString::number(job.resolution),
                     QStringLiteral("-p"),
                     QString::number(job.widthMm, 'g', 10) + QLatin1Char('x') +
                         QString::number(job.heightMm, 'g', 10),
                     QStringLiteral("--memory-limit"),
                     QString::number(memoryLimit)};
    const QStringList inputs = parser.positionalArguments();
    if (inputs.isEmpty())
        return fail(QStringLiteral("no PostScript file to convert; see --help."));
    for (const QString& input : inputs) {
        if (!QFileInfo::exists(input))
            return fail(QStringLiteral("%1: no such file.").arg(input));
        batch.sources << QFileInfo(input).absoluteFilePath();
    }

    platform::onStopSignals([](int signal) { g_stopSignal = signal; });
    const bool showBar = platform::isTerminal(platform::StandardStream::Error);
    const BatchResult result = runBatch(
        batch,
        [](const QString& line) {
            if (g_barShown)
                std::fputs("\r\x1b[K", stderr);
            g_barShown = false;
            std::fprintf(stderr, "folivant-convert: %s\n", qPrintable(line));
        },
        [showBar](int done, int total) {
            if (!showBar)
                return;
            constexpr int width = 40;
            const int filled = total > 0 ? done * width / total : width;
            std::fprintf(stderr, "\r[%s%*s] %d/%d", QByteArray(filled, '#').constData(),
                         width - filled, "", done, total);
            std::fflush(stderr);
            g_barShown = true;
        },
        g_stopSignal);
    if (g_barShown)
        std::fputc('\n', stderr);
    std::fprintf(stderr, "folivant-convert: %d PDF%s written, %d kept, %d failed.\n",
                 result.written, result.written == 1 ? "" : "s", result.kept, result.failed);
    if (const int signal = g_stopSignal)
        return 128 + signal;
    return result.failed > 0 ? 2 : 0;
}

} // namespace
} // namespace convert

int main(int argc, char** argv)
{
    using namespace convert;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("folivant-convert"));
    QCoreApplication::setApplicationVersion(QStringLiteral("2.0"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Converts PostScript files into one PDF, their pages in the order given,\n"
                       "with the same settings as the Folivant window. The interpreter's\n"
                       "messages go to standard output (to standard error with -o -); on a\n"
                       "terminal a progress bar is drawn on standard error. A source named -\n"
                       "is read from standard input. Exit status: 0 done, 2 refused or\n"
                       "failed, the reason on standard error."));
    parser.addHelpOption();
    const QCommandLineOption versionOpt({QStringLiteral("V"), QStringLiteral("version")},
                                        QStringLiteral("Show the version and licence."));
    parser.addOption(versionOpt);
    const QCommandLineOption outputOpt(
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("The PDF to write (required); - for standard output."),
        QStringLiteral("OUT.pdf"));
    const QCommandLineOption compatOpt(
        {QStringLiteral("c"), QStringLiteral("compat")},
        QStringLiteral("PDF compatibility: 0 or 1.2 = PDF 1.2 (default), 1 or 1.3 = PDF 1.3, "
                       "2 or 1.4 = PDF 1.4."),
        QStringLiteral("LEVEL"), QStringLiteral("0"));
    const QCommandLineOption optiOpt(
        {QStringLiteral("O"), QStringLiteral("optimise")},
        QStringLiteral("Optimisation: 0 = default (default), 1 = screen, 2 = printer, "
                       "3 = prepress."),
        QStringLiteral("INDEX"), QStringLiteral("0"));
    const QCommandLineOption resolutionOpt(
        {QStringLiteral("r"), QStringLiteral("resolution")},
        QStringLiteral("Image resolution in pixels per inch, 10 to 100000 (default 72)."),
        QStringLiteral("DPI"), QStringLiteral("72"));
    const QCommandLineOption pageOpt(
        {QStringLiteral("p"), QStringLiteral("page")},
        QStringLiteral("Page size: a4, letter, legal, executive, tabloid, a5, a3, "
                       "or WIDTHxHEIGHT in millimetres, 10 to 10000 (default "
                       "215.90x279.40). Pages made for another size are scaled to fit."),
        QStringLiteral("SIZE"));
    const QCommandLineOption landscapeOpt({QStringLiteral("l"), QStringLiteral("landscape")},
                                          QStringLiteral("Swap the page's width and height."));
    const QCommandLineOption memoryOpt(
        QStringLiteral("memory-limit"),
        QStringLiteral("The most memory the interpreter may take, in MiB, 256 to 1048576 "
                       "(default 2048). A document that needs more fails."),
        QStringLiteral("MiB"), QStringLiteral("2048"));
    const QCommandLineOption eachOpt(
        QStringLiteral("each"),
        QStringLiteral("One PDF per source, in the folder of -d, named after the source."));
    const QCommandLineOption folderOpt({QStringLiteral("d"), QStringLiteral("folder")},
                                       QStringLiteral("With --each: the folder for the PDFs."),
                                       QStringLiteral("FOLDER"));
    const QCommandLineOption jobsOpt(
        {QStringLiteral("j"), QStringLiteral("jobs")},
        QStringLiteral("With --each: sources converted at once (default: the number of cores)."),
        QStringLiteral("N"));
    const QCommandLineOption forceOpt(
        QStringLiteral("force"), QStringLiteral("With --each: replace PDFs that exist already."));
    // The batch's own workers; not for use by hand.
    QCommandLineOption workerOpt(QStringLiteral("each-worker"));
    workerOpt.setFlags(QCommandLineOption::HiddenFromHelp);
    QCommandLineOption preloadOpt(QStringLiteral("each-preload"));
    preloadOpt.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({outputOpt, compatOpt, optiOpt, resolutionOpt, pageOpt, landscapeOpt,
                       memoryOpt, eachOpt, folderOpt, jobsOpt, forceOpt, workerOpt, preloadOpt});
    parser.addPositionalArgument(QStringLiteral("IN.ps"),
                                 QStringLiteral("PostScript files, one or more."),
                                 QStringLiteral("IN.ps..."));
    parser.process(app);
    if (parser.isSet(versionOpt)) {
        printVersion();
        return 0;
    }

    JobInput job;
    bool ok = false;
    if (!parseCompat(parser.value(compatOpt), job.compatIndex))
        return fail(QStringLiteral("--compat takes 0, 1 or 2, or 1.2, 1.3 or 1.4."));
    job.optiIndex = parser.value(optiOpt).toInt(&ok);
    if (!ok || job.optiIndex < 0 || job.optiIndex > 3)
        return fail(QStringLiteral("--optimise takes 0, 1, 2 or 3."));
    job.resolution = parser.value(resolutionOpt).toInt(&ok);
    if (!ok || job.resolution < 10 || job.resolution > 100000)
        return fail(QStringLiteral("--resolution takes a whole number from 10 to 100000."));
    if (parser.isSet(pageOpt) && !parsePage(parser.value(pageOpt), job.widthMm, job.heightMm))
        return fail(
            QStringLiteral("unknown page size \"%1\"; see --help.").arg(parser.value(pageOpt)));
    if (parser.isSet(landscapeOpt))
        std::swap(job.widthMm, job.heightMm);
    const uint memoryLimit = parser.value(memoryOpt).toUInt(&ok);
    if (!ok || memoryLimit < 256 || memoryLimit > 1048576)
        return fail(
            QStringLiteral("--memory-limit takes a whole number of MiB from 256 to 1048576."));
    gsdll_setmemorylimit(memoryLimit);

    if (parser.isSet(workerOpt)) {
        platform::onStopSignals(stopOnSignal);
        return runBatchWorker(job, parser.isSet(preloadOpt));
    }
    if (parser.isSet(eachOpt))
        return runEach(parser, folderOpt, jobsOpt, forceOpt, outputOpt, job, memoryLimit);

    // The run makes the program's folder current: every name is made
    // absolute against the directory the user called from.
    const QString output = parser.value(outputOpt);
    if (output.isEmpty())
        return fail(QStringLiteral("no output file; give one with -o OUT.pdf."));
    const QStringList inputs = parser.positionalArguments();
    if (inputs.isEmpty())
        return fail(QStringLiteral("no PostScript file to convert; see --help."));
    // Standard input and output pass through files of a folder of our own:
    // the interpreter reads its sources and writes its PDF by name.
    QTemporaryDir streams(QDir::tempPath() + QStringLiteral("/folivant-convert-XXXXXX"));
    const bool toStandardOutput = output == QLatin1String("-");
    const QString fromStandardInput = streams.filePath(QStringLiteral("standard input.ps"));
    if (toStandardOutput || inputs.contains(QStringLiteral("-"))) {
        if (!streams.isValid())
            return fail(QStringLiteral("no temporary folder: %1").arg(streams.errorString()));
    }
    job.outputName = toStandardOutput ? streams.filePath(QStringLiteral("standard output.pdf"))
                                      : QFileInfo(output).absoluteFilePath();
    if (toStandardOutput)
        g_messages = stderr; // the PDF alone goes to standard output
    for (const QString& input : inputs) {
        if (input == QLatin1String("-")) {
            if (!QFileInfo::exists(fromStandardInput)) {
                QFile in;
                QFile copy(fromStandardInput);
                if (!in.open(stdin, QIODevice::ReadOnly) || !copy.open(QIODevice::WriteOnly) ||
                    !copyAll(in, copy) || !copy.flush())
                    return fail(QStringLiteral("standard input could not be read."));
            }
            job.sources << fromStandardInput;
            continue;
        }
        const QFileInfo info(input);
        // Only a missing name is refused here: the window would create it
        // empty. Anything else is the interpreter's to judge.
        if (!info.exists())
            return fail(QStringLiteral("%1: no such file.").arg(input));
        job.sources << info.absoluteFilePath();
    }

    const QString clash = sourceThatIsTheOutput(job);
    if (!clash.isEmpty())
        return fail(
            QStringLiteral("%1 is also an input: writing the PDF would destroy it.").arg(clash));

    // Ctrl+C or a kill ends the interpreter, and the partial PDF goes.
    platform::onStopSignals(stopOnSignal);
    ProgressBar bar;
    const bool showBar = platform::isTerminal(platform::StandardStream::Error);
    RunReport report;
    const int32_t result = RunConversion(
        job, printOutput, showBar ? &bar : nullptr,
        [&bar] {
            bar.finish();
            // A document may end without a line feed of its own.
            if (g_lineOpen)
                std::fputc('\n', g_messages);
            std::fputs("terminé...\n", g_messages);
            std::fflush(g_messages);
        },
        &report);

    for (const QString& empty : report.emptySources)
        std::fprintf(
            stderr, "folivant-convert: %s: the source held no page.\n",
            qPrintable(empty == fromStandardInput ? QStringLiteral("standard input") : empty));
    if (const int signal = g_stopSignal) {
        if (result == GsdllStopped)
            std::fprintf(stderr, "folivant-convert: stopped; the unfinished %s was removed.\n",
                         qPrintable(output));
        return 128 + signal;
    }
    if (!report.failedSource.isEmpty())
        std::fprintf(stderr, "folivant-convert: %s: this source could not be converted.\n",
                     qPrintable(report.failedSource == fromStandardInput
                                    ? QStringLiteral("standard input")
                                    : report.failedSource));
    if (!report.reason.isEmpty() && result != 0)
        return fail(report.reason);
    if (result == GsdllCrashed)
        return fail(QStringLiteral("the interpreter crashed; its last words are above."));
    if (result != 0)
        return fail(QStringLiteral("the interpreter failed (code %1); its messages are above.")
                        .arg(result));
    if (toStandardOutput) {
        QFile pdf(job.outputName);
        QFile out;
        if (!pdf.open(QIODevice::ReadOnly) || !out.open(stdout, QIODevice::WriteOnly) ||
            !copyAll(pdf, out) || !out.flush())
            return fail(QStringLiteral("the PDF could not be written to standard output."));
    }
    return 0;
}
