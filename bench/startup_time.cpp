// Start-up: from starting folivant to its first window on screen, on the
// offscreen platform, against a minimal Qt Widgets window measured in the
// same run. Each program ends as soon as its window has been painted
// (folivant through FOLIVANT_EXIT_WHEN_SHOWN), so each run measures process
// start to first shown window plus a quick exit. The programs take turns, so
// a busy moment of the machine costs them alike.
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
    std::vector<double> ms;
};

double timeRun(const Contender& c, const QProcessEnvironment& env, int* exitCode)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(c.folder);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(c.program, {});
    process.waitForFinished(-1);
    *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return timer.nsecsElapsed() / 1e6;
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
    QTemporaryDir sandbox;
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
        {"minimal Qt Widgets window", bin + QStringLiteral("bench_minimal_window"), files, {}},
        {"folivant installed, in 2,000 files", installed + QStringLiteral("folivant"), files, {}},
        {"folivant installed, in an empty folder",
         installed + QStringLiteral("folivant"),
         empty,
         {}},
        {"folivant from the build, at its folder", bin + QStringLiteral("folivant"), files, {}},
    };
    for (int i = 0; i < runs; ++i) {
        for (Contender& c : contenders) {
            int code = 0;
            c.ms.push_back(timeRun(c, env, &code));
            if (code != 0) {
                std::fprintf(stderr, "bench_startup: %s ended with %d\n", c.what, code);
                return 1;
            }
        }
    }
    std::printf("start-up to the first shown window (offscreen), %d runs each, in turns:\n", runs);
    for (const Contender& c : contenders) {
        std::printf("  %-40s median %6.1f ms, best %6.1f ms, worst %6.1f ms\n", c.what,
                    median(c.ms), *std::min_element(c.ms.begin(), c.ms.end()),
                    *std::max_element(c.ms.begin(), c.ms.end()));
    }
    const double reference = median(contenders[0].ms);
    std::printf("ratio, folivant installed in 2,000 files / minimal window: %.2f (goal <= 1.50)\n",
                median(contenders[1].ms) / reference);
    std::printf("ratio, 2,000 files / empty folder: %.2f\n",
                median(contenders[1].ms) / median(contenders[2].ms));
    return 0;
}
