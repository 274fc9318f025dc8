#include "convert/ConversionJob.h"

#include "convert/PageSize.h"
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
    // Only an existing output can be a source; a missing one is made empty.
    const QString output = QFileInfo(job.outputName).canonicalFilePath();
    if (output.isEmpty())
        return QString();
    for (const QString& source : job.sources) {
        if (QFileInfo(source).canonicalFilePath() == output)
            return source;
    }
    return QString();
}

QString failureLine(int32_t result)
{
    if (result == 0 || result == OutputIsASource || result == GsdllCrashed)
        return QString();
    if (result == GsdllStopped)
        return QStringLiteral("Conversion arrêtée.");
    return QStringLiteral("La conversion a échoué (code %1).").arg(result);
}

namespace {

void logLine(GsdllCallback callback, const QString& line)
{
    QByteArray bytes = line.toUtf8();
    if (callback)
        callback(2, bytes.data(), uint32_t(bytes.size()));
}

} // namespace

int32_t RunConversion(const JobInput& job, GsdllCallback callback, QObject* window,
                      const std::function<void()>& beforeRestore, QStringList* emptySources)
{
    const QString previous = QDir::currentPath();
    QDir::setCurrent(platform::programFolder());

    // The interpreter opens the output before it reads the sources: a PDF
    // written over a source would destroy it unread.
    const QString clash = sourceThatIsTheOutput(job);
    if (!clash.isEmpty()) {
        logLine(callback, QStringLiteral("Le fichier PDF ne peut pas remplacer le fichier "
                                         "source %1 : rien n'a été converti.")
                              .arg(clash));
        if (beforeRestore)
            beforeRestore();
        QDir::setCurrent(previous);
        return OutputIsASource;
    }

    int32_t result;
    {
        const std::vector<std::string> args = BuildArgVector(job);
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
        gsdll_setpdftitle(QFileInfo(job.outputName).completeBaseName().toUtf8().constData());
        result = gsdll_init(callback, window, int32_t(args.size()), argv.data());
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
        if (emptySources)
            *emptySources << job.sources[i];
    }
    if (result == GsdllStopped)
        QFile::remove(job.outputName); // what was written is not a PDF
    const QString failure = failureLine(result);
    if (!failure.isEmpty())
        logLine(callback, failure);
    if (beforeRestore)
        beforeRestore();
    QDir::setCurrent(previous);
    return result;
}

} // namespace convert
