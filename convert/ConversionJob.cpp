#include "convert/ConversionJob.h"

#include "convert/PageSize.h"
#include "convert/PdfCheck.h"
#include "platform/PendingFile.h"
#include "platform/ProgramPath.h"
#include "platform/ShortPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>
#include <memory>

namespace convert {

QString compatibilityArgument(int index)
{
    if (index == 2)
        return QStringLiteral("-dCompatibilityLevel=1.4");
    if (index == 1)
        return QStringLiteral("-dCompatibilityLevel=1.3");
    return QStringLiteral("-dCompatibilityLevel=1.2");
}

QString optimisationArgument(int index)
{
    if (index == 3)
        return QStringLiteral("-dPDFSETTINGS=/prepress");
    if (index == 2)
        return QStringLiteral("-dPDFSETTINGS=/printer");
    if (index == 1)
        return QStringLiteral("-dPDFSETTINGS=/screen");
    return QStringLiteral("-dPDFSETTINGS=/default");
}

QString ShortFileName(const QString& path)
{
    if (!path.isEmpty() && platform::shortPathName(path).isEmpty()) {
        QFile file(path);
        // Only ever creates: an existing file is never truncated.
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            file.close();
    }
    return platform::shortPathName(path);
}

namespace {

// The interpreter reads a leading '-' as a switch, '@' as an argument file and
// "%name%" as a device ("%pipe%" runs a command, "%stdin" reads the console);
// "./" keeps such a relative name a plain file name.
QString asFileArgument(const QString& shortPath)
{
    if (shortPath.startsWith(QLatin1Char('-')) || shortPath.startsWith(QLatin1Char('@')) ||
        shortPath.startsWith(QLatin1Char('%')))
        return QStringLiteral("./") + shortPath;
    return shortPath;
}

// The output name is a template to the interpreter: '%' starts a page-number
// format, a leading '|' a pipe to a command, a leading "%name%" a device and
// "-" standard output. Every '%' is doubled and a leading '|' or a lone "-"
// hidden behind "./", so the name always means the one file it names.
QString asOutputArgument(const QString& shortPath)
{
    QString name = shortPath;
    if (name.startsWith(QLatin1Char('|')) || name == QLatin1String("-"))
        name.prepend(QStringLiteral("./"));
    name.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return name;
}

std::string utf8(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), size_t(bytes.size()));
}

} // namespace

std::vector<std::string> BuildArgVector(const JobInput& job)
{
    const std::string resolution = std::to_string(job.resolution);
    std::vector<std::string> args;
    args.reserve(size_t(job.sources.size()) + 11);
    args.emplace_back();
    args.emplace_back("-q");
    args.emplace_back("-sDEVICE=pdfwrite");
    args.push_back(utf8(compatibilityArgument(job.compatIndex)));
    args.push_back(utf8(optimisationArgument(job.optiIndex)));
    args.push_back("-dColorImageResolution=" + resolution);
    args.push_back("-dGrayImageResolution=" + resolution);
    args.push_back("-dMonoImageResolution=" + resolution);
    args.push_back("-sOutputFile=" + utf8(asOutputArgument(ShortFileName(job.outputName))));
    args.emplace_back("-c save pop");
    args.emplace_back("-dBATCH");
    for (const QString& source : job.sources)
        args.push_back(utf8(asFileArgument(ShortFileName(source))));
    return args;
}

QString sourceThatIsTheOutput(const JobInput& job)
{
    // Files, not names: a link or a second hard link to a source is that
    // source. Only an existing output can be one.
    if (!QFileInfo::exists(job.outputName))
        return QString();
    for (const QString& source : job.sources) {
        if (platform::isSameFile(source, job.outputName))
            return source;
    }
    return QString();
}

QString failureLine(int32_t result)
{
    if (result == 0 || result == OutputIsASource || result == GsdllCrashed ||
        result == OutputNotWritten || result == GsdllOutOfMemory)
        return QString();
    if (result == GsdllStopped)
        return QStringLiteral("Conversion arrêtée.");
    return QStringLiteral("La conversion a échoué (code %1).").arg(result);
}

namespace {

// The caller's callback during a run, and whether the interpreter's output
// ends in the middle of a line. The callback signature has no room for
// either, and one run at a time uses them.
GsdllCallback g_runCallback = nullptr;
bool g_lineOpen = false;

int32_t watchLines(int32_t message, char* str, uint32_t count)
{
    if (message == GsdllOutput && count > 0)
        g_lineOpen = str[count - 1] != '\n';
    return g_runCallback ? g_runCallback(message, str, count) : 0;
}

// A line of ours, on a line of its own after whatever the interpreter wrote.
void logLine(GsdllCallback callback, const QString& line)
{
    QByteArray bytes =
        (g_lineOpen ? QStringLiteral("\n") : QString()).toUtf8() + line.toUtf8() + '\n';
    g_lineOpen = false;
    if (callback)
        callback(2, bytes.data(), uint32_t(bytes.size()));
}

struct ProblemTexts
{
    QString french;
    QString english;
};

// Why the PDF cannot be written, for the log and for the terminal.
ProblemTexts problemTexts(const QString& pdf, const platform::FileProblem& problem)
{
    const QString& folder = problem.folder;
    switch (problem.kind) {
    case platform::FileProblem::FolderMissing:
        return {QStringLiteral("le dossier %1 n'existe pas").arg(folder),
                QStringLiteral("the folder %1 does not exist").arg(folder)};
    case platform::FileProblem::NotAFolder:
        return {
            QStringLiteral("le chemin %1 passe par un fichier qui n'est pas un dossier")
                .arg(folder),
            QStringLiteral("the path %1 leads through a file that is not a folder").arg(folder)};
    case platform::FileProblem::IsAFolder:
        return {QStringLiteral("%1 est un dossier").arg(pdf),
                QStringLiteral("%1 is a folder").arg(pdf)};
    case platform::FileProblem::ReadOnly:
        return {QStringLiteral("le dossier %1 est en lecture seule").arg(folder),
                QStringLiteral("the folder %1 is read-only").arg(folder)};
    case platform::FileProblem::NoPermission:
        return {QStringLiteral("vous n'avez pas le droit d'écrire dans le dossier %1").arg(folder),
                QStringLiteral("no permission to write in the folder %1").arg(folder)};
    case platform::FileProblem::DiskFull:
        return {QStringLiteral("le disque du dossier %1 est plein").arg(folder),
                QStringLiteral("the disk of the folder %1 is full").arg(folder)};
    case platform::FileProblem::None:
    case platform::FileProblem::Other:
        break;
    }
    return {problem.systemText, problem.systemText};
}

void reportUnwritable(GsdllCallback callback, RunReport* report, const QString& pdf,
                      const platform::FileProblem& problem)
{
    const ProblemTexts texts = problemTexts(pdf, problem);
    logLine(
        callback,
        QStringLiteral("Le fichier PDF %1 ne peut pas être écrit : %2.").arg(pdf, texts.french));
    if (report)
        report->reason = QStringLiteral("cannot write %1: %2.").arg(pdf, texts.english);
}

} // namespace

int32_t RunConversion(const JobInput& job, GsdllCallback callback, QObject* window,
                      const std::function<void()>& beforeRestore, RunReport* report)
{
    const QString previous = QDir::currentPath();
    QDir::setCurrent(platform::programFolder());
    if (report)
        *report = RunReport();
    g_lineOpen = false;
    const auto end = [&](int32_t result) {
        if (beforeRestore)
            beforeRestore();
        QDir::setCurrent(previous);
        return result;
    };

    // Refused before anything is written: the PDF must not take a source's
    // place, whatever the name it is given.
    const QString clash = sourceThatIsTheOutput(job);
    if (!clash.isEmpty()) {
        logLine(callback, QStringLiteral("Le fichier PDF ne peut pas remplacer le fichier "
                                         "source %1 : rien n'a été converti.")
                              .arg(clash));
        if (report)
            report->reason =
                QStringLiteral("%1 is also an input: writing the PDF would destroy it.").arg(clash);
        return end(OutputIsASource);
    }

    // The interpreter writes a file of our own beside the output, which
    // takes the output's name only once it is whole: a failed or stopped run
    // leaves an older PDF of that name as it was.
    platform::PendingFile pdf;
    platform::FileProblem problem;
    const QString outputPath = QFileInfo(job.outputName).absoluteFilePath();
    if (!pdf.create(job.outputName, &problem)) {
        reportUnwritable(callback, report, outputPath, problem);
        return end(OutputNotWritten);
    }

    int32_t result;
    {
        JobInput run = job;
        run.outputName = pdf.temporaryName();
        const std::vector<std::string> args = BuildArgVector(run);
        // Each entry is its own buffer, sized to its text: nothing is cut.
        std::vector<std::unique_ptr<char[]>> buffers;
        std::vector<char*> argv;
        buffers.reserve(args.size());
        argv.reserve(args.size() + 1);
        for (const std::string& arg : args) {
            buffers.emplace_back(new char[arg.size() + 1]);
            std::memcpy(buffers.back().get(), arg.c_str(), arg.size() + 1);
            argv.push_back(buffers.back().get());
        }
        argv.push_back(nullptr);

        gsdll_setpdfmediarect(1, 0, 0, mmToPoints(job.widthMm), mmToPoints(job.heightMm));
        // A PDF of several sources is named after the file it becomes.
        gsdll_setpdftitle(job.titledByOutputName
                              ? QFileInfo(job.outputName).completeBaseName().toUtf8().constData()
                              : "");
        g_runCallback = callback;
        g_lineOpen = false;
        result =
            gsdll_init(callback ? watchLines : nullptr, window, int32_t(args.size()), argv.data());
    } // the vector is freed here, before the interpreter shuts down

    if (result == 0) {
        // Closing the PDF can fail too; then it is not complete.
        const int32_t closed = gsdll_exit();
        if (closed < 0)
            result = closed;
    }
    const std::vector<int> pages = gsdll_sourcepages();
    for (int i = 0; i < job.sources.size() && size_t(i) < pages.size(); ++i) {
        if (pages[size_t(i)] != 0)
            continue;
        logLine(
            callback,
            QStringLiteral("Le fichier source %1 ne contient aucune page.").arg(job.sources[i]));
        if (report)
            report->emptySources << job.sources[i];
    }
    const int failed = result == 0 ? -1 : gsdll_failedsource();
    if (failed >= 0 && failed < job.sources.size() && result != GsdllStopped) {
        logLine(callback, QStringLiteral("Le fichier source %1 n'a pas pu être converti.")
                              .arg(job.sources[failed]));
        if (report)
            report->failedSource = job.sources[failed];
    }
    if (result == GsdllOutOfMemory) {
        logLine(callback, QStringLiteral("L'interpréteur a manqué de mémoire (limite : %1 Mio) : "
                                         "la conversion a échoué.")
                              .arg(gsdll_memorylimit()));
        if (report)
            report->reason = QStringLiteral("the interpreter ran out of memory (limit: %1 MiB).")
                                 .arg(gsdll_memorylimit());
    }

    if (result == 0) {
        // The interpreter's shut-down says nothing of a close that failed
        // (a full disk): the file itself must show that it is whole.
        const bool whole =
            pdf.isStillOurs() && isCompletePdf(pdf.size(), [&pdf](qint64 at, qint64 length) {
                QByteArray bytes(int(length), '\0');
                const qint64 n = pdf.readAt(at, bytes.data(), length);
                bytes.truncate(int(qMax<qint64>(n, 0)));
                return bytes;
            });
        if (!whole) {
            logLine(callback, QStringLiteral("Le fichier PDF %1 n'a pas pu être écrit jusqu'au "
                                             "bout (disque plein ?) : il n'a pas été créé.")
                                  .arg(outputPath));
            if (report)
                report->reason =
                    QStringLiteral(
                        "%1 came out incomplete (is the disk full?); it was not written.")
                        .arg(outputPath);
            result = OutputNotWritten;
        } else if (!pdf.commit(&problem)) {
            reportUnwritable(callback, report, outputPath, problem);
            result = OutputNotWritten;
        }
    }
    // Whatever did not succeed leaves no file of ours behind.
    pdf.discard();
    const QString failure = failureLine(result);
    if (!failure.isEmpty())
        logLine(callback, failure);
    return end(result);
}

} // namespace convert
