// What the interpreter's own process costs a run: a one-page job converted
// through the component (a child process per run) against the same plan run
// by the library inside this process, alternating. Runs are a moment apart,
// as a user's are: the next run's process gets ready in between.
//
//   bench_runstart [runs=40]

#include "convert/ConversionJob.h"
#include "convert/GsDll.h"
#include "convert/Interpreter.h"
#include "convert/PageSize.h"
#include "convert/RunPlan.h"

#include "Median.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace convert;

namespace {

class Quiet : public InterpreterIo
{
public:
    int readInput(char* buf, int size) override
    {
        if (size <= 0)
            return 0;
        buf[0] = '\n';
        return 1;
    }
    void writeOutput(const char*, int) override {}
};

int32_t quietCallback(int32_t message, char*, uint32_t count)
{
    return message == 1 ? 1 : int32_t(count);
}

// The same plan inside this process, as the component ran it before it had a
// process of its own.
double inProcess(const RunPlan& plan)
{
    QElapsedTimer clock;
    clock.start();
    Quiet io;
    {
        Interpreter gs(io);
        if (gs.start(plan.startArgs) < 0)
            return -1;
        for (const RunStep& step : plan.steps) {
            const int code = step.isFile ? gs.runFile(step.text) : gs.runCode(step.text);
            if (code < 0 && code != Interpreter::Quit)
                return -1;
        }
    }
    return clock.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(2, std::atoi(argv[1])) : 40;
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("page.ps"));
    QFile file(source);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write("%!PS\n/Helvetica findfont 12 scalefont setfont\n"
                   "72 720 moveto (Une page.) show showpage\n") <= 0)
        return 1;
    file.close();

    JobInput job;
    job.sources << source;
    job.outputName = dir.filePath(QStringLiteral("sortie.pdf"));
    const RunPlan plan =
        planRun(BuildArgVector(job), mmToPoints(job.widthMm), mmToPoints(job.heightMm));

    // As the window does: the next run's process starts ahead.
    gsdll_prepare();
    std::vector<double> inside;
    std::vector<double> child;
    for (int r = 0; r < runs; ++r) {
        for (int turn = 0; turn < 2; ++turn) {
            QThread::msleep(400);
            if ((r + turn) % 2 == 0) {
                const double ms = inProcess(plan);
                if (ms < 0)
                    return 1;
                inside.push_back(ms);
            } else {
                QElapsedTimer clock;
                clock.start();
                if (RunConversion(job, quietCallback, nullptr) != 0)
                    return 1;
                child.push_back(clock.nsecsElapsed() / 1e6);
            }
        }
    }
    const double a = median(inside);
    const double b = median(child);
    std::printf("one-page run, median of %d: in this process %.1f ms, own process %.1f ms\n", runs,
                a, b);
    std::printf("start-up the own process adds: %.1f ms (target <= 20 ms)\n", b - a);
    return 0;
}
