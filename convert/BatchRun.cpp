#include "convert/BatchRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
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
// then what the job says.
QString reasonOf(const QByteArray& output, const QString& jobReason)
{
    QString reason;
    for (const QByteArray& line : output.split('\n')) {
        if (line.startsWith("Error:") || line.contains("ERROR:")) {
            reason = QString::fromUtf8(line.trimmed());
            break;
        }
    }
    if (!jobReason.isEmpty())
        reason += (reason.isEmpty() ? QString() : QStringLiteral("; ")) + jobReason;
    return reason;
}

// What the interpreter says during a worker's run, for the reason of a
// failure: the start of it is enough, and a chatty document must not fill
// the memory. Global because the callback is a plain function.
QByteArray g_said;
constexpr qsizetype SaidKept = 64 * 1024;

int32_t keepSaid(int32_t message, char* str, uint32_t count)
{
    if (message == GsdllOutput && g_said.size() < SaidKept)
        g_said.append(str, qMin<qsizetype>(count, SaidKept - g_said.size()));
    return message == GsdllInputWanted ? 1 : message == GsdllOutput ? int32_t(count) : 0;
}

struct Worker
{
    std::unique_ptr<QProcess> process;
    QByteArray answers;
    int task = -1; // the task it works on, or -1
};

} // namespace

int runBatchWorker(const JobInput& base, bool preload)
{
    // The next source's interpreter loads while this one converts, where a
    // core would be idle otherwise; it does not warm up, which would double
    // the work of every short source.
    if (preload)
        gsdll_prepare(false);
    std::string source;
    std::string output;
    const auto readField = [](std::string& field) {
        field.clear();
        for (int c; (c = std::getchar()) != EOF;) {
            if (c == '\0')
                return true;
            field += char(c);
        }
        return false;
    };
    while (readField(source) && readField(output)) {
        JobInput job = base;
        job.sources = {QString::fromStdString(source)};
        job.outputName = QString::fromStdString(output);
        RunReport report;
        g_said.clear();
        const int32_t result = RunConversion(job, keepSaid, nullptr, {}, &report);
        QString answer = QStringLiteral("0");
        if (result != 0) {
            QString why = report.reason;
            if (why.isEmpty())
                why = result == GsdllCrashed ? QStringLiteral("the interpreter crashed.")
                      : result == GsdllStopped
                          ? QStringLiteral("stopped.")
                          : QStringLiteral("the interpreter failed (code %1).").arg(result);
            answer = QStringLiteral("2 ") + reasonOf(g_said, why).simplified();
        }
        std::printf("%s\n", answer.toUtf8().constData());
        std::fflush(stdout);
        if (result == GsdllStopped)
            return 2;
    }
    return 0;
}

BatchResult runBatch(const BatchInput& input, const std::function<void(const QString&)>& report,
                     const std::function<void(int done, int total)>& progress,
                     const std::atomic<int>& stop)
{
    BatchResult result;
    struct Task
    {
        QString source;
        QString output;
        qint64 size = 0;
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
            tasks.push_back({source, output, QFileInfo(source).size()});
        }
        taken.insert(output);
    }

    // The largest first: a long manual started last would keep one worker
    // busy while the others have run out of work.
    std::stable_sort(tasks.begin(), tasks.end(),
                     [](const Task& a, const Task& b) { return a.size > b.size; });

    const int total = int(input.sources.size());
    int done = result.kept + result.failed;
    progress(done, total);
    size_t next = 0;
    QEventLoop loop;
    std::vector<Worker> workers(size_t(qBound(0, input.jobs, int(tasks.size()))));
    const auto giveWork = [&](Worker& w) {
        if (stop || next >= tasks.size()) {
            w.task = -1;
            w.process->closeWriteChannel(); // the worker ends
            return;
        }
        w.task = int(next++);
        const QByteArray pair = QFile::encodeName(tasks[size_t(w.task)].source) + '\0' +
                                QFile::encodeName(tasks[size_t(w.task)].output) + '\0';
        w.process->write(pair);
    };
    const auto finishTask = [&](Worker& w, const QString& answer) {
        if (w.task < 0)
            return;
        const Task& task = tasks[size_t(w.task)];
        if (answer == QLatin1String("0")) {
            ++result.written;
        } else {
            ++result.failed;
            if (!stop)
                report(QStringLiteral("%1: %2").arg(task.source, answer.mid(2)));
        }
        ++done;
        progress(done, total);
        w.task = -1;
    };
    // With fewer workers than cores, each loads its next interpreter ahead
    // on a core that is free; with as many, that would only take turns.
    QStringList workerArguments{QStringLiteral("--each-worker")};
    if (int(workers.size()) < QThread::idealThreadCount())
        workerArguments << QStringLiteral("--each-preload");
    for (Worker& w : workers) {
        w.process = std::make_unique<QProcess>();
        w.process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        Worker* self = &w;
        QObject::connect(w.process.get(), &QProcess::readyReadStandardOutput, &loop, [&, self] {
            self->answers += self->process->readAllStandardOutput();
            for (qsizetype end; (end = self->answers.indexOf('\n')) >= 0;) {
                const QString answer = QString::fromUtf8(self->answers.left(end));
                self->answers.remove(0, end + 1);
                finishTask(*self, answer);
                giveWork(*self);
            }
        });
        QObject::connect(w.process.get(), &QProcess::finished, &loop, [&, self] {
            // A worker that died took its task with it.
            finishTask(*self, QStringLiteral("2 the worker ended unexpectedly."));
            loop.quit();
        });
        w.process->start(input.program, input.options + workerArguments);
        giveWork(w);
    }
    QTimer watch; // a stop request comes from a signal handler
    watch.setInterval(50);
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
        if (stop)
            loop.quit();
    });
    watch.start();
    const auto anyRunning = [&] {
        return std::any_of(workers.begin(), workers.end(), [](const Worker& w) {
            return w.process->state() != QProcess::NotRunning;
        });
    };
    while (anyRunning()) {
        loop.exec();
        if (stop) {
            // Each worker stops its run and removes its unfinished PDF on SIGTERM.
            for (Worker& w : workers) {
                if (w.process->state() != QProcess::NotRunning)
                    w.process->terminate();
            }
            for (Worker& w : workers)
                w.process->waitForFinished(10000);
            break;
        }
    }
    return result;
}

} // namespace convert
