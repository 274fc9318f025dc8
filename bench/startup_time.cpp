// Start-up: from starting folivant to its first window on screen, on the
// offscreen platform, against a minimal Qt Widgets window measured in the
// same run. Each program says "shown" on standard output once its window has
// been painted and then ends (folivant through FOLIVANT_EXIT_WHEN_SHOWN):
// the figure is the time to that line, the time to the end is shown beside
// it. The programs take turns, so a busy moment of the machine costs them
// alike.
//
// Folivant runs twice over: as the installed copy (the marker file beside a
// copy of the programs) started in a folder of 2,000 files, where its tree
// opens, and in an empty folder, which shows whether the start-up depends
// on what the folder holds; and as the build's copy, whose tree opens at
// its own folder.
//
//   bench_startup [runs=15]

#include "Median.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Contender
{
    const char* what;
    QString program;
    QString folder;
    QStringList args = {};
    std::vector<double> shown = {};
    std::vector<double> ended = {};
};

// Times one start to the "shown" line and to the end of the process.
bool timeRun(Contender& c, const QProcessEnvironment& env)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(c.folder);
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(c.program, c.args);
    while (!process.canReadLine() && process.waitForReadyRead(-1)) {
    }
    const double shown = timer.nsecsElapsed() / 1e6;
    const bool said = process.readLine() == "shown\n";
    process.waitForFinished(-1);
    c.shown.push_back(shown);
    c.ended.push_back(timer.nsecsElapsed() / 1e6);
    return said && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// What a print folder holds: PostScript jobs, notes, and files whose type
// their name does not tell.
bool fillFolder(const QString& folder)
{
    for (int i = 0; i < 2000; ++i) {
        const QString name = i % 2 == 0   ? QStringLiteral("job %1.ps").arg(i)
                             : i % 4 == 1 ? QStringLiteral("note %1.txt").arg(i)
                                          : QStringLiteral("data%1").arg(i);
        if (!write(folder + name, i % 2 == 0 ? "%!PS\nshowpage\n" : "0123456789\n"))
            return false;
    }
    return true;
}

// An installed copy: the programs with the installation's marker file.
bool makeInstalledCopy(const QString& from, const QString& to)
{
    for (const char* program : {"folivant", "folivant-interpreter"}) {
        const QString name = QString::fromLatin1(program);
        if (!QFile::copy(from + name, to + name) ||
            !QFile::setPermissions(to + name,
                                   QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
            return false;
    }
    return write(to + QStringLiteral("installed"), "installed\n");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    const QString bin = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    for (const char* program : {"folivant", "folivant-interpreter", "bench_minimal_window"}) {
        if (!QFileInfo(bin + QLatin1String(program)).isExecutable()) {
            std::fprintf(stderr, "bench_startup: %s%s not built\n", qPrintable(bin), program);
            return 1;
        }
    }
    // Beside the programs rather than in the temporary folder: the window
    // watches the folders above the one it opens, and watching a folder
    // costs the kernel a walk over every name it remembers there, which in
    // a busy /tmp comes to milliseconds that say nothing about folivant.
    QTemporaryDir sandbox(bin + QStringLiteral("startup-XXXXXX"));
    const QString root = sandbox.path() + QLatin1Char('/');
    const QString files = root + QStringLiteral("2000 fichiers/");
    const QString empty = root + QStringLiteral("vide/");
    const QString installed = root + QStringLiteral("libexec/");
    const QString home = root + QStringLiteral("home/");
    for (const QString& folder : {files, empty, installed, home})
        QDir().mkpath(folder);
    if (!fillFolder(files) || !makeInstalledCopy(bin, installed)) {
        std::fprintf(stderr, "bench_startup: cannot prepare %s\n", qPrintable(root));
        return 1;
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("FOLIVANT_EXIT_WHEN_SHOWN"), QStringLiteral("1"));
    env.insert(QStringLiteral("HOME"), home);
    env.remove(QStringLiteral("XDG_CONFIG_HOME"));

    std::vector<Contender> contenders = {
        {"minimal Qt Widgets window", bin + QStringLiteral("bench_minimal_window"), files},
        {"minimal window with a line of text",
         bin + QStringLiteral("bench_minimal_window"),
         files,
         {QStringLiteral("--text")}},
        {"folivant installed, in 2,000 files", installed + QStringLiteral("folivant"), files},
        {"folivant installed, in an empty folder", installed + QStringLiteral("folivant"), empty},
        {"folivant from the build, at its folder", bin + QStringLiteral("folivant"), files},
    };
    for (int i = 0; i < runs; ++i) {
        for (Contender& c : contenders) {
            if (!timeRun(c, env)) {
                std::fprintf(stderr, "bench_startup: %s did not show its window\n", c.what);
                return 1;
            }
        }
    }
    std::printf("start to the first shown window (offscreen), %d runs each, in turns:\n", runs);
    for (const Contender& c : contenders) {
        std::printf("  %-40s median %6.1f ms, best %6.1f ms, worst %6.1f ms; ended %6.1f ms\n",
                    c.what, median(c.shown), *std::min_element(c.shown.begin(), c.shown.end()),
                    *std::max_element(c.shown.begin(), c.shown.end()), median(c.ended));
    }
    const double reference = median(contenders[0].shown);
    std::printf("ratio, folivant installed in 2,000 files / minimal window: %.2f (goal <= 1.50)\n",
                median(contenders[2].shown) / reference);
    std::printf("ratio, folivant installed in 2,000 files / window with text: %.2f\n",
                median(contenders[2].shown) / median(contenders[1].shown));
    std::printf("ratio, 2,000 files / empty folder: %.2f\n",
                median(contenders[2].shown) / median(contenders[3].shown));
    return 0;
}
