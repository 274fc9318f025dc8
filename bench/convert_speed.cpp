// Conversion speed: folivant-convert against the interpreter's own program
// given the same arguments, alternating, on a generated job of several
// PostScript files, or on the files given after --files.
//
//   bench_convert [rounds=3] [pages=300] [files=6] [folder to keep the job in]
//   bench_convert [rounds=3] --files FILE.ps...

#include "convert/ConversionJob.h"
#include "convert/GsDll.h"
#include "convert/PageSize.h"
#include "convert/RunPlan.h"

#include "Median.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <random>
#include <sys/resource.h>

using namespace convert;

namespace {

// One page: text, strokes and a small colour image, about 70 KB of source.
QByteArray page(int number, std::mt19937& rng)
{
    QByteArray ps;
    ps += "%%Page: " + QByteArray::number(number) + " " + QByteArray::number(number) + "\n";
    ps += "/Times-Roman findfont 9 scalefont setfont\n";
    for (int line = 0; line < 60; ++line) {
        ps += "40 " + QByteArray::number(760 - line * 11) + " moveto (";
        ps += "Page " + QByteArray::number(number) + ", ligne " + QByteArray::number(line) +
              ": le renard brun saute par-dessus le chien paresseux, 0123456789.";
        ps += ") show\n";
    }
    std::uniform_int_distribution<int> coord(0, 600);
    for (int stroke = 0; stroke < 150; ++stroke) {
        ps += QByteArray::number(coord(rng) / 600.0, 'f', 2) + " 0.2 0.5 setrgbcolor ";
        ps += QByteArray::number(coord(rng)) + " " + QByteArray::number(coord(rng)) + " moveto ";
        ps += QByteArray::number(coord(rng)) + " " + QByteArray::number(coord(rng)) +
              " lineto stroke\n";
    }
    const int side = 96;
    ps += "gsave 300 40 translate 200 200 scale\n";
    ps += QByteArray::number(side) + " " + QByteArray::number(side) + " 8 [" +
          QByteArray::number(side) + " 0 0 -" + QByteArray::number(side) + " 0 " +
          QByteArray::number(side) + "]\ncurrentfile /ASCIIHexDecode filter false 3 colorimage\n";
    static const char hex[] = "0123456789abcdef";
    QByteArray data;
    data.reserve(side * side * 6 + side * 2);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side * 3; ++x) {
            const int v = (x * 3 + y * 5 + number * 7 + int(rng() % 16)) & 0xff;
            data += hex[v >> 4];
            data += hex[v & 15];
        }
        data += '\n';
    }
    ps += data + ">\ngrestore showpage\n";
    return ps;
}

struct Job
{
    QStringList sources;
    qint64 bytes = 0;
};

Job generate(const QString& dir, int pages, int files)
{
    Job job;
    std::mt19937 rng(20261207);
    int done = 0;
    for (int f = 0; f < files; ++f) {
        const int here = pages / files + (f < pages % files ? 1 : 0);
        QByteArray ps = "%!PS-Adobe-3.0\n%%Pages: " + QByteArray::number(here) + "\n";
        for (int p = 0; p < here; ++p)
            ps += page(++done, rng);
        ps += "%%EOF\n";
        const QString name = QStringLiteral("%1/partie %2.ps").arg(dir).arg(f + 1);
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly) || file.write(ps) != ps.size())
            qFatal("cannot write %s", qPrintable(name));
        job.sources << name;
        job.bytes += ps.size();
    }
    return job;
}

double childCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Wall time of one run in seconds, or a negative value when it failed; its
// processor time is added to cpu.
double timed(const QString& program, const QStringList& args, double& cpu)
{
    const double cpuBefore = childCpuSeconds();
    QProcess p;
    p.setStandardInputFile(QProcess::nullDevice());
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    p.start(program, args);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return -1;
    const double wall = clock.nsecsElapsed() / 1e9;
    cpu += childCpuSeconds() - cpuBefore;
    return wall;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    const int rounds = a.size() > 1 ? std::max(1, a[1].toInt()) : 3;
    const int filesAt = int(a.indexOf(QStringLiteral("--files")));
    const int pages = a.size() > 2 && filesAt < 0 ? std::max(1, a[2].toInt()) : 300;
    const int files = a.size() > 3 && filesAt < 0 ? std::max(1, a[3].toInt()) : 6;

    const QString gs = QStandardPaths::findExecutable(QStringLiteral("gs"));
    const QString ours = QCoreApplication::applicationDirPath() + "/folivant-convert";
    if (gs.isEmpty() || !QFileInfo(ours).isExecutable()) {
        std::fprintf(stderr, "bench_convert: needs gs on PATH and %s\n", qPrintable(ours));
        return 1;
    }

    QTemporaryDir temporary;
    const QDir dir(a.size() > 4 && filesAt < 0 ? a[4] : temporary.path());
    if (!dir.mkpath(QStringLiteral(".")))
        return 1;
    Job job;
    if (filesAt >= 0) {
        for (const QString& name : a.mid(filesAt + 1)) {
            job.sources << QFileInfo(name).absoluteFilePath();
            job.bytes += QFileInfo(name).size();
        }
        std::printf("job: %d files, %.1f MB of PostScript\n", int(job.sources.size()),
                    job.bytes / 1e6);
    } else {
        job = generate(dir.absolutePath(), pages, files);
        std::printf("job: %d pages in %d files, %.1f MB of PostScript\n", pages, files,
                    job.bytes / 1e6);
    }

    // The reference gets the switches the component hands the library for
    // folivant-convert's default job (its vector plus the page-size and
    // colour switches), then the sources, as one command line.
    JobInput input;
    input.sources = job.sources;
    input.outputName = dir.filePath("sortie-gs.pdf");
    const RunPlan plan =
        planRun(BuildArgVector(input), mmToPoints(input.widthMm), mmToPoints(input.heightMm));
    QStringList gsArgs;
    for (size_t i = 1; i < plan.startArgs.size(); ++i)
        gsArgs << QString::fromStdString(plan.startArgs[i]);
    gsArgs << QStringLiteral("-dBATCH");
    for (const RunStep& step : plan.steps) {
        if (step.isFile)
            gsArgs << QString::fromStdString(step.text);
        else
            gsArgs << QStringLiteral("-c") << QString::fromStdString(step.text)
                   << QStringLiteral("-f");
    }
    const QStringList ourArgs =
        QStringList{QStringLiteral("-o"), dir.filePath("sortie-fc.pdf")} + job.sources;

    std::vector<double> gsTimes;
    std::vector<double> ourTimes;
    double gsCpu = 0;
    double ourCpu = 0;
    for (int r = 0; r < rounds; ++r) {
        // Alternate which goes first, so neither always finds the caches warm.
        for (int turn = 0; turn < 2; ++turn) {
            const bool gsTurn = (r + turn) % 2 == 0;
            const double t = gsTurn ? timed(gs, gsArgs, gsCpu) : timed(ours, ourArgs, ourCpu);
            if (t < 0) {
                std::fprintf(stderr, "bench_convert: the %s run failed\n",
                             gsTurn ? "gs" : "folivant-convert");
                return 1;
            }
            (gsTurn ? gsTimes : ourTimes).push_back(t);
            std::printf("round %d  %-16s %7.3f s\n", r + 1, gsTurn ? "gs" : "folivant-convert", t);
            std::fflush(stdout);
        }
    }
    const double gsSize = QFileInfo(dir.filePath("sortie-gs.pdf")).size();
    const double ourSize = QFileInfo(dir.filePath("sortie-fc.pdf")).size();
    std::printf("PDF sizes: gs %.0f bytes, folivant-convert %.0f bytes\n", gsSize, ourSize);
    std::printf("median: gs %.3f s, folivant-convert %.3f s\n", median(gsTimes), median(ourTimes));
    std::printf("processor time in all: gs %.3f s, folivant-convert %.3f s (ratio %.3f)\n", gsCpu,
                ourCpu, ourCpu / gsCpu);
    std::printf("wall-time ratio folivant-convert / gs: %.3f (target <= 1.03)\n",
                median(ourTimes) / median(gsTimes));
    return 0;
}
