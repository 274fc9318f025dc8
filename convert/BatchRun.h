#pragma once
// Many sources, one PDF each: every source runs as a one-source job of the
// terminal tool in a process of its own, several at once, so each PDF
// follows the same rules as a single job (written whole or not at all, a
// failure named) and the jobs share the machine's cores.

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

namespace convert {

struct BatchInput
{
    QString program;     // the terminal tool to run for each source
    QStringList options; // the job's settings, passed to each run as they are
    QStringList sources; // absolute paths
    QString folder;      // where the PDFs go
    bool force = false;  // replace PDFs that exist already
    int jobs = 1;        // runs at once
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

} // namespace convert
