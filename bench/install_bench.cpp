// Installs a generated product with the installer's steps against `cp -r`
// of the same folders, alternating in one run, then times its uninstallation.
//
//   install_bench [--work DIR] [--mb 500] [--files 2000] [--rounds 5] [--settle 3]
//
// A log lists at most 200 entries, so the product is split into logs of
// 200 files each (its Install.log among them).

#include "installer/InstallSteps.h"
#include "platform/MessageBox.h"
#include "uninstaller/UninstallSteps.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

constexpr int FilesPerLog = 200;

struct Options
{
    QString work = QStringLiteral("/tmp/setwell-install-bench");
    qint64 megabytes = 500;
    int files = 2000;
    int rounds = 5;
};

bool writeLog(const QString& folder, int product, const QStringList& files)
{
    QByteArray bytes = "Quorvex Setwell 2.0 - Install.log\r\n"
                       "Nicht ver\xE4ndern, nicht l\xF6schen!\r\n";
    bytes += "Produit " + QByteArray::number(product) + "\r\n";
    bytes += "Produit" + QByteArray::number(product) + "\r\n";
    bytes += "Banc d'essai\r\n\r\n";
    bytes += QByteArray::number(files.size() + 1) + "\r\n";
    for (int i = 0; i < files.size(); ++i) {
        bytes += files[i].toLatin1() + "\r\n";
        bytes += (i == 0 ? "Produit " + QByteArray::number(product) : QByteArray("NEIN!")) + "\r\n";
    }
    bytes += "Install.log\r\nNEIN!\r\n\r\n";
    QFile file(folder + "/Install.log");
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Products of up to 200 files each, one level of subfolders, sizes spread
// around the mean so that small and large copies both count.
QStringList generate(const Options& options, const QString& source)
{
    QDir(source).removeRecursively();
    const int products = (options.files + FilesPerLog - 1) / FilesPerLog;
    const qint64 total = options.megabytes << 20;
    const qint64 mean = total / options.files;
    QByteArray noise(4 << 20, Qt::Uninitialized);
    quint32 state = 12345;
    for (char& c : noise) {
        state = state * 1664525u + 1013904223u;
        c = char(state >> 24);
    }
    QStringList folders;
    qint64 written = 0;
    int made = 0;
    for (int p = 0; p < products; ++p) {
        const QString folder = source + QStringLiteral("/Produit%1").arg(p);
        QStringList files;
        const int count = std::min(FilesPerLog, options.files - made) - 1; // the log is one
        for (int i = 0; i < count; ++i, ++made) {
            const QString name = QStringLiteral("d%1/fichier%2.bin").arg(i % 8).arg(i);
            QDir().mkpath(folder + QStringLiteral("/d%1").arg(i % 8));
            qint64 size = mean / 4 + (qint64(i) * 7919 % 7) * mean / 4; // 0.25 to 1.75 mean
            if (made == options.files - products - 1 + p)
                size = std::max<qint64>(0, total - written);
            size = std::min<qint64>(size, noise.size() - 4096);
            QFile file(folder + "/" + name);
            if (!file.open(QIODevice::WriteOnly) ||
                file.write(noise.constData() + (i * 4093) % 4096, size) != size)
                return {};
            written += size;
            files << QString(name).replace('/', '\\');
        }
        if (!writeLog(folder, p, files))
            return {};
        ++made;
        folders << folder;
    }
    std::printf("product: %d logs, %d files, %.1f MB\n", products, made,
                double(written) / (1 << 20));
    return folders;
}

double seconds(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

unsigned g_settleSeconds = 3;

// Earlier runs' dirty pages, and the file system's work on blocks freed by
// earlier deletions, must not slow the next measurement down.
void settle()
{
    ::sync();
    ::sleep(g_settleSeconds);
}

void clear(const QString& folder)
{
    QDir(folder).removeRecursively();
    settle();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    Options options;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == "--work")
            options.work = args[i + 1];
        else if (args[i] == "--mb")
            options.megabytes = args[i + 1].toLongLong();
        else if (args[i] == "--files")
            options.files = args[i + 1].toInt();
        else if (args[i] == "--rounds")
            options.rounds = args[i + 1].toInt();
        else if (args[i] == "--settle")
            g_settleSeconds = args[i + 1].toUInt();
    }
    if (options.files < 2 || options.megabytes < 1 || options.rounds < 1) {
        std::fprintf(stderr, "usage: install_bench [--work DIR] [--mb N] [--files N] [--rounds N] "
                             "[--settle SECONDS]\n");
        return 2;
    }

    // Everything the installer touches stays below the work folder.
    const QString work = QDir(options.work).absolutePath();
    for (const char* sub : {"home/.local/share", "home/.config", "root/opt"})
        QDir().mkpath(work + "/" + sub);
    qputenv("HOME", QFile::encodeName(work + "/home"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(work + "/home/.local/share"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(work + "/home/.config"));
    qputenv("SETWELL_SYSTEM_ROOT", QFile::encodeName(work + "/root"));
    int boxes = 0;
    platform::setMessageHandler([&boxes](const platform::MessageRequest& request) {
        if (!request.text.endsWith(QStringLiteral("terminée!")))
            std::fprintf(stderr, "box: %s\n", qPrintable(request.text));
        ++boxes;
        return platform::MsgAnswer::Ok;
    });

    const QStringList products = generate(options, work + "/source");
    if (products.isEmpty()) {
        std::fprintf(stderr, "could not write the product below %s\n", qPrintable(work));
        return 1;
    }
    const QString cpTarget = work + "/cp";
    const QString setwellTarget = work + "/root/opt";

    double cpTotal = 0, installTotal = 0;
    std::vector<double> ratios, uninstallTimes, rmTimes;
    setupkit::SetupProgress quiet;
    for (int round = 1; round <= options.rounds; ++round) {
        // Alternate which goes first, so neither always meets a warmer cache.
        double cpTime = 0, installTime = 0, uninstallTime = 0, rmTime = 0;
        for (int leg = 0; leg < 2; ++leg) {
            const bool cpNow = (leg == 0) == (round % 2 == 1);
            if (cpNow) {
                clear(cpTarget);
                QDir().mkpath(cpTarget);
                QElapsedTimer timer;
                timer.start();
                QStringList cpArgs{"-r"};
                cpArgs << products << cpTarget;
                if (QProcess::execute("cp", cpArgs) != 0)
                    return 1;
                cpTime = seconds(timer);
                // The reference for the uninstallation: rm -r of the copy,
                // under the same conditions.
                settle();
                timer.restart();
                if (QProcess::execute("rm", {"-r", cpTarget}) != 0)
                    return 1;
                rmTime = seconds(timer);
                clear(cpTarget);
            } else {
                clear(setwellTarget);
                QDir().mkpath(setwellTarget);
                std::vector<uninstaller::Uninstallation> installed;
                QElapsedTimer timer;
                timer.start();
                for (const QString& product : products) {
                    installer::Installer job;
                    if (!setupkit::ReadInstallLog(product + "/", job.log))
                        return 1;
                    job.WindowsFolder = work + "/root/usr/local/lib/setwell/";
                    installer::RunInstallation(
                        job, product, installer::proposedInstallFolder(setwellTarget, job.log),
                        quiet);
                    installed.push_back({job.log, job.InstallFolder});
                }
                installTime = seconds(timer);
                settle();
                timer.restart();
                for (const auto& product : installed)
                    uninstaller::RunUninstallation(product);
                uninstallTime = seconds(timer);
                clear(setwellTarget);
            }
        }
        std::printf("round %d: cp -r %.3f s, installer %.3f s (ratio %.3f); "
                    "rm -r %.3f s, uninstall %.3f s\n",
                    round, cpTime, installTime, installTime / cpTime, rmTime, uninstallTime);
        cpTotal += cpTime;
        installTotal += installTime;
        ratios.push_back(installTime / cpTime);
        uninstallTimes.push_back(uninstallTime);
        rmTimes.push_back(rmTime);
    }
    std::printf("install / cp -r wall time: median of rounds %.3f, all rounds %.3f "
                "(target <= 1.15)\n",
                median(ratios), installTotal / cpTotal);
    const auto fastest = [](const std::vector<double>& v) {
        return *std::min_element(v.begin(), v.end());
    };
    const auto slowest = [](const std::vector<double>& v) {
        return *std::max_element(v.begin(), v.end());
    };
    std::printf("uninstall: median %.3f s, fastest %.3f s, slowest %.3f s (target < 2 s)\n",
                median(uninstallTimes), fastest(uninstallTimes), slowest(uninstallTimes));
    std::printf("rm -r of the copy: median %.3f s, fastest %.3f s, slowest %.3f s\n",
                median(rmTimes), fastest(rmTimes), slowest(rmTimes));
    if (boxes != 2 * int(products.size()) * options.rounds)
        std::fprintf(stderr, "unexpected message boxes: %d\n", boxes);
    QDir(work).removeRecursively();
    return 0;
}
