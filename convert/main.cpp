// folivant-convert: the window's conversion from a terminal. Same vector,
// same interpreter component; the interpreter's output goes to stdout.

#include "convert/BatchRun.h"
#include "convert/ConversionJob.h"
#include "convert/ConvertCommand.h"
#include "convert/WmUser.h"
#include "platform/StopSignals.h"
#include "platform/Terminal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

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
int runEach(const BatchInput& batch)
{
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

// The sources into one PDF. The run makes the program's folder current:
// every name is made absolute against the directory the user called from.
int runConvert(JobInput job, const QString& output, const QStringList& inputs)
{
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
    if (toStandardOutput) {
        g_messages = stderr; // the PDF alone goes to standard output
        job.titledByOutputName = false;
    }
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

} // namespace
} // namespace convert

int main(int argc, char** argv)
{
    using namespace convert;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("folivant-convert"));
    QCoreApplication::setApplicationVersion(QStringLiteral("2.0"));

    ConvertCommand command;
    QString refusal;
    if (!parseConvertCommand(QCoreApplication::arguments(), command, refusal))
        return fail(refusal);
    if (command.action == ConvertCommand::Action::Version) {
        printVersion();
        return 0;
    }
    gsdll_setmemorylimit(command.memoryLimitMiB);
    if (command.action == ConvertCommand::Action::EachWorker) {
        platform::onStopSignals(stopOnSignal);
        return runBatchWorker(command.job, command.preload);
    }
    if (command.action == ConvertCommand::Action::Each)
        return runEach(command.batch);
    return runConvert(command.job, command.output, command.inputs);
}
