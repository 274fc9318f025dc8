#include "convert/ConvertCommand.h"

#include "convert/PageSize.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>

namespace convert {

namespace {

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

// The settings as options again, for the batch's workers.
QStringList jobOptions(const JobInput& job, uint memoryLimitMiB)
{
    return {QStringLiteral("-c"),
            QString::number(job.compatIndex),
            QStringLiteral("-O"),
            QString::number(job.optiIndex),
            QStringLiteral("-r"),
            QString::number(job.resolution),
            QStringLiteral("-p"),
            QString::number(job.widthMm, 'g', 10) + QLatin1Char('x') +
                QString::number(job.heightMm, 'g', 10),
            QStringLiteral("--memory-limit"),
            QString::number(memoryLimitMiB)};
}

} // namespace

bool parseConvertCommand(const QStringList& arguments, ConvertCommand& command, QString& error)
{
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
    parser.process(arguments);
    if (parser.isSet(versionOpt)) {
        command.action = ConvertCommand::Action::Version;
        return true;
    }

    const auto refuse = [&error](const QString& reason) {
        error = reason;
        return false;
    };
    JobInput& job = command.job;
    bool ok = false;
    if (!parseCompat(parser.value(compatOpt), job.compatIndex))
        return refuse(QStringLiteral("--compat takes 0, 1 or 2, or 1.2, 1.3 or 1.4."));
    job.optiIndex = parser.value(optiOpt).toInt(&ok);
    if (!ok || job.optiIndex < 0 || job.optiIndex > 3)
        return refuse(QStringLiteral("--optimise takes 0, 1, 2 or 3."));
    job.resolution = parser.value(resolutionOpt).toInt(&ok);
    if (!ok || job.resolution < 10 || job.resolution > 100000)
        return refuse(QStringLiteral("--resolution takes a whole number from 10 to 100000."));
    if (parser.isSet(pageOpt) && !parsePage(parser.value(pageOpt), job.widthMm, job.heightMm))
        return refuse(
            QStringLiteral("unknown page size \"%1\"; see --help.").arg(parser.value(pageOpt)));
    if (parser.isSet(landscapeOpt))
        std::swap(job.widthMm, job.heightMm);
    command.memoryLimitMiB = parser.value(memoryOpt).toUInt(&ok);
    if (!ok || command.memoryLimitMiB < 256 || command.memoryLimitMiB > 1048576)
        return refuse(
            QStringLiteral("--memory-limit takes a whole number of MiB from 256 to 1048576."));

    command.inputs = parser.positionalArguments();
    command.output = parser.value(outputOpt);
    if (parser.isSet(workerOpt)) {
        command.action = ConvertCommand::Action::EachWorker;
        command.preload = parser.isSet(preloadOpt);
        return true;
    }

    if (!parser.isSet(eachOpt)) {
        command.action = ConvertCommand::Action::Convert;
        if (command.output.isEmpty())
            return refuse(QStringLiteral("no output file; give one with -o OUT.pdf."));
        if (command.inputs.isEmpty())
            return refuse(QStringLiteral("no PostScript file to convert; see --help."));
        return true;
    }

    command.action = ConvertCommand::Action::Each;
    if (parser.isSet(outputOpt))
        return refuse(QStringLiteral("--each writes one PDF per source: give a folder with -d, "
                                     "not -o."));
    const QString folder = parser.value(folderOpt);
    if (folder.isEmpty())
        return refuse(QStringLiteral("--each needs a folder for the PDFs: -d FOLDER."));
    if (!QFileInfo(folder).isDir())
        return refuse(QStringLiteral("%1: no such folder.").arg(folder));
    BatchInput& batch = command.batch;
    batch.program = QCoreApplication::applicationFilePath();
    batch.folder = QFileInfo(folder).absoluteFilePath();
    batch.force = parser.isSet(forceOpt);
    batch.jobs = QThread::idealThreadCount();
    if (parser.isSet(jobsOpt)) {
        batch.jobs = parser.value(jobsOpt).toInt(&ok);
        if (!ok || batch.jobs < 1 || batch.jobs > 256)
            return refuse(QStringLiteral("--jobs takes a whole number from 1 to 256."));
    }
    batch.options = jobOptions(job, command.memoryLimitMiB);
    if (command.inputs.isEmpty())
        return refuse(QStringLiteral("no PostScript file to convert; see --help."));
    for (const QString& input : command.inputs) {
        if (!QFileInfo::exists(input))
            return refuse(QStringLiteral("%1: no such file.").arg(input));
        batch.sources << QFileInfo(input).absoluteFilePath();
    }
    return true;
}

} // namespace convert
