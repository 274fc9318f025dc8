// Start-up: from starting folivant to its first window on screen, on the
// offscreen platform. The program is told through FOLIVANT_EXIT_WHEN_SHOWN
// to end as soon as the window has been painted, so each run measures
// process start to first shown window plus a quick exit; a bare process of
// the same kind (`true`) is timed alongside as the floor.
//
//   bench_startup [runs=15]

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double timeRun(const QString& program, const QProcessEnvironment& env, int* exitCode)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(program, {});
    process.waitForFinished(-1);
    *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return timer.nsecsElapsed() / 1e6;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    const QString folivant = QCoreApplication::applicationDirPath() + QStringLiteral("/folivant");
    if (!QFileInfo(folivant).isExecutable()) {
        std::fprintf(stderr, "bench_startup: %s not built\n", qPrintable(folivant));
        return 1;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("FOLIVANT_EXIT_WHEN_SHOWN"), QStringLiteral("1"));

    std::vector<double> shown, floor;
    for (int i = 0; i < runs; ++i) {
        int code = 0;
        shown.push_back(timeRun(folivant, env, &code));
        if (code != 0) {
            std::fprintf(stderr, "bench_startup: folivant ended with %d\n", code);
            return 1;
        }
        floor.push_back(timeRun(QStringLiteral("/bin/true"), env, &code));
    }
    std::printf("start-up of folivant to its first shown window (offscreen), %d runs:\n", runs);
    std::printf("  median %.1f ms, best %.1f ms, worst %.1f ms (target under 300 ms)\n",
                median(shown), *std::min_element(shown.begin(), shown.end()),
                *std::max_element(shown.begin(), shown.end()));
    std::printf("  a bare process start: median %.1f ms\n", median(floor));
    return 0;
}
