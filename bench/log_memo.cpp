// Log speed: a job whose PostScript prints many lines, run through the
// window's start button on the offscreen platform, against the interpreter's
// own program printing the same to /dev/null. Then the log's append path
// alone, block by block, to show that a line costs the same however long the
// log already is.
//
//   bench_log [lines=100000] [rounds=3]

#include "convert/ConversionJob.h"
#include "mainwin/FilenameEdit.h"
#include "mainwin/LogMemo.h"
#include "mainwin/MainUnit.h"
#include "support/FormParts.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace convert;
using namespace mainwin;

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Each line is flushed on its own, so each is one output call and one line
// of the log.
QByteArray talkativeJob(int lines)
{
    return "%!PS\n/Helvetica findfont 12 scalefont setfont 72 700 moveto (log) show\n1 1 " +
           QByteArray::number(lines) +
           " { (Ligne du journal de l'interpr\\351teur, num\\351ro ) print = flush } for\n"
           "showpage\n";
}

double runReference(const QString& gs, const JobInput& job)
{
    std::vector<std::string> args = BuildArgVector(job);
    QStringList arguments;
    for (size_t i = 1; i < args.size(); ++i)
        arguments << QString::fromStdString(args[i]);
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.setStandardInputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(gs, arguments);
    process.waitForFinished(-1);
    return timer.nsecsElapsed() / 1e9;
}

double runWindow(const JobInput& job, int* linesShown)
{
    TMainForm form;
    part<QCheckBox>(&form, "showcheck")->setChecked(false);
    part<QListWidget>(&form, "ListBox1")->addItems(job.sources);
    part<FilenameEdit>(&form, "FilenameEdit2")->setFileName(job.outputName);
    form.show();
    QCoreApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    form.GoBtn1Click();
    const double seconds = timer.nsecsElapsed() / 1e9;
    *linesShown = part<LogMemo>(&form, "Memo1")->lineCount();
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::max(1, atoi(argv[1])) : 100000;
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : 3;
    const QString gs = QStandardPaths::findExecutable(QStringLiteral("gs"));
    if (gs.isEmpty()) {
        std::fprintf(stderr, "bench_log: the gs program is not on PATH\n");
        return 1;
    }

    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("talk.ps"));
    QFile file(source);
    if (!file.open(QIODevice::WriteOnly) || file.write(talkativeJob(lines)) < 0) {
        std::fprintf(stderr, "bench_log: cannot write %s\n", qPrintable(source));
        return 1;
    }
    file.close();
    JobInput job;
    job.sources = {source};
    job.outputName = dir.filePath(QStringLiteral("talk.pdf"));

    std::printf("log: a job printing %d lines, %d rounds, alternating\n", lines, rounds);
    std::vector<double> reference, window;
    int shown = 0;
    for (int round = 0; round < rounds; ++round) {
        reference.push_back(runReference(gs, job));
        window.push_back(runWindow(job, &shown));
        std::printf("  round %d: gs > /dev/null %.3f s, window log %.3f s (%d lines in the log)\n",
                    round + 1, reference.back(), window.back(), shown);
    }
    const double ratio = median(window) / median(reference);
    std::printf("median: gs %.3f s, window %.3f s, ratio %.2f (target at most 1.5)\n",
                median(reference), median(window), ratio);

    // The append path alone, as a run uses it, over ten times the job.
    TMainForm form;
    form.show();
    QCoreApplication::processEvents();
    const int block = 10000;
    const int blocks = std::max(10, lines / block * 10);
    std::vector<double> perLine;
    LogMemo* memo = part<LogMemo>(&form, "Memo1");
    memo->beginBatch();
    for (int b = 0; b < blocks; ++b) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < block; ++i)
            memo->appendLine(QStringLiteral("Ligne du journal de l'interpréteur, numéro ") +
                             QString::number(b * block + i));
        perLine.push_back(timer.nsecsElapsed() / 1e3 / block);
    }
    memo->endBatch();
    std::printf("log append, microseconds per line by block of %d lines:\n ", block);
    for (int b = 0; b < blocks; ++b)
        std::printf(" %.2f", perLine[size_t(b)]);
    const size_t tenth = std::max<size_t>(1, perLine.size() / 10);
    double first = 0, last = 0;
    for (size_t i = 0; i < tenth; ++i) {
        first += perLine[i];
        last += perLine[perLine.size() - 1 - i];
    }
    std::printf("\nlast tenth against first tenth: %.2f (1.0: no growth with the log's length; "
                "%d lines at the end)\n",
                last / first, part<LogMemo>(&form, "Memo1")->lineCount());
    return 0;
}
