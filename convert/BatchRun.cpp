#include "convert/BatchRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QTimer>

#include <memory>
#include <vector>

namespace convert {

QString batchOutputName(const QString& folder, const QString& source)
{
    const QFileInfo info(source);
    const QString base = info.suffix().isEmpty() ? info.fileName() : info.completeBaseName();
    return QDir(folder).absoluteFilePath(base + QStringLiteral(".pdf"));
}

namespace {

// Why a run failed: the interpreter's own error line, when it gave one,
// and the run's last words on standard error.
QString reasonOf(const QByteArray& output, const QByteArray& errors)
{
    QString reason;
    for (const QByteArray& line : output.split('\n')) {
        if (line.startsWith("Error:") || line.contains("ERROR:")) {
            reason = QString::fromUtf8(line.trimmed()) + QStringLiteral("; ");
            break;
        }
    }
    const QList<QByteArray> lines = errors.trimmed().split('\n');
    QString last = QString::fromUtf8(lines.isEmpty() ? QByteArray() : lines.last());
    last.remove(QStringLiteral("folivant-convert: "));
    last.remove(QStringLiteral("; its messages are above"));
    return reason + last;
}

} // namespace

BatchResult runBatch(const BatchInput& input, const std::function<void(const QString&)>& report,
                     const std::function<void(int done, int total)>& progress,
                     const std::atomic<int>& stop)
{
    BatchResult result;
    struct Task
    {
        QString source;
        QString output;
    };
    std::vector<Task> tasks;
    QSet<QString> taken;
    for (const QString& source : input.sources) {
        const QString output = batchOutputName(input.folder, source);
        if (taken.contains(output)) {
            // Two sources of one name would race for one PDF.
            report(QStringLiteral("%1: another source already makes %2.").arg(source, output));
            ++result.failed;
        } else if (QFileInfo::exists(output) && !input.force) {
            report(
                QStringLiteral("%1: %2 exists; kept (--force replaces it).").arg(source, output));
            ++result.kept;
        } else {
            tasks.push_back({source, output});
        }
        taken.insert(output);
    }

    const int total = int(input.sources.size());
    int done = result.kept + result.failed;
    progress(done, total);
    size_t next = 0;
    int running = 0;
    QEventLoop loop;
    std::vector<std::unique_ptr<QProcess>> processes;
    const auto startMore = [&]() {
        while (!stop && running < qMax(1, input.jobs) && next < tasks.size()) {
            const Task task = tasks[next++];
            auto process = std::make_unique<QProcess>();
            QProcess* p = process.get();
            QObject::connect(
                p, &QProcess::finished, &loop, [&, p, task](int code, QProcess::ExitStatus status) {
                    --running;
                    ++done;
                    if (status == QProcess::NormalExit && code == 0) {
                        ++result.written;
                    } else {
                        ++result.failed;
                        if (!stop)
                            report(QStringLiteral("%1: %2").arg(
                                task.source,
                                reasonOf(p->readAllStandardOutput(), p->readAllStandardError())));
                    }
                    progress(done, total);
                    loop.quit();
                });
            p->start(input.program, input.options + QStringList{QStringLiteral("-o"), task.output,
                                                                QStringLiteral("--"), task.source});
            ++running;
            processes.push_back(std::move(process));
        }
    };
    QTimer watch; // a stop request comes from a signal handler
    watch.setInterval(50);
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
        if (stop)
            loop.quit();
    });
    watch.start();
    startMore();
    while (running > 0) {
        loop.exec();
        if (stop) {
            // Each run removes its own unfinished PDF on SIGTERM.
            for (const auto& p : processes) {
                if (p->state() != QProcess::NotRunning)
                    p->terminate();
            }
            for (const auto& p : processes)
                p->waitForFinished(10000);
            break;
        }
        startMore();
    }
    return result;
}

} // namespace convert
