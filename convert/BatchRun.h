#pragma once
// Many sources, one PDF each. Several worker processes of the terminal tool
// run at once, each converting one source after another with the same job
// as a single conversion (written whole or not at all, a failure named),
// its next interpreter started ahead while it works. The batch hands each
// worker its next source as soon as it is done, so long and short sources
// share the cores.

#include "convert/ConversionJob.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

namespace convert {

struct BatchInput
{
    QString program;     // the terminal tool, started as a worker for each job slot
    QStringList options; // the job's settings, passed to each worker as they are
    QStringList sources; // absolute paths
    QString folder;      // where the PDFs go
    bool force = false;  // replace PDFs that exist already
    int jobs = 1;        // workers at once
};

struct BatchResult
{
    int written = 0;
    int kept = 0; // an existing PDF that was left as it was
    int failed = 0;
};

// The PDF that `source` becomes in `folder`: its name with ".pdf" for its
// last extension.
QString batchOutputName(const QString& folder, const QString& source);

// Runs the batch. `report` gets a line for each source that did not give its
// PDF, `progress` the count of sources done. Ends early, each run stopped
// and its unfinished PDF removed, once `stop` is set.
BatchResult runBatch(const BatchInput& input, const std::function<void(const QString&)>& report,
                     const std::function<void(int done, int total)>& progress,
                     const std::atomic<int>& stop);

// The worker: reads "SOURCE\0OUTPUT\0" pairs from standard input until its
// end, converts each with `job`'s settings and answers each on standard
// output with a line: "0", or "2 " and the reason. With `preload`, the next
// source's interpreter loads beside the current run.
int runBatchWorker(const JobInput& job, bool preload);

} // namespace convert
