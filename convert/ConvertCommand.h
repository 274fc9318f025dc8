#pragma once
// What folivant-convert's command line asks for, read and checked before
// anything runs.

#include "convert/BatchRun.h"
#include "convert/ConversionJob.h"

#include <QString>
#include <QStringList>

namespace convert {

struct ConvertCommand
{
    enum class Action {
        Version,    // --version
        Convert,    // the sources into one PDF
        Each,       // --each: a PDF per source
        EachWorker, // one of --each's own workers
    };
    Action action = Action::Convert;
    // The settings; for Convert the sources and output are the run's to
    // fill in from `inputs` and `output`.
    JobInput job;
    uint memoryLimitMiB = 2048;
    QString output;       // -o as given: "-" is standard output
    QStringList inputs;   // as given: "-" is standard input
    BatchInput batch;     // Each: sources absolute, folder checked
    bool preload = false; // EachWorker: load the next interpreter ahead
};

// Reads `arguments`, the program's name first. --help prints the usage and
// ends the program, as does an option it does not know. False with the
// reason in `error` when the command is refused.
bool parseConvertCommand(const QStringList& arguments, ConvertCommand& command, QString& error);

} // namespace convert
