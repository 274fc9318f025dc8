#pragma once
// The conversion job: from the window's choices to one interpreter run.

#include "convert/GsDll.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

class QObject;

namespace convert {

// KompatBox index to the compatibility switch; any other index gives 1.2.
QString compatibilityArgument(int index);
// OptiBox index to the optimisation switch; any other index gives /default.
QString optimisationArgument(int index);

// Creates the file empty when it is missing (a failure is ignored), then
// returns its short form: the path itself, or "" when it still does not exist.
QString ShortFileName(const QString& path);

struct JobInput
{
    QStringList sources;
    QString outputName;
    int compatIndex = 0;
    int optiIndex = 0;
    int resolution = 72;
    double widthMm = 215.90;
    double heightMm = 279.40;
    // A PDF of several sources takes the output file's name as its title;
    // without a name of its own (on its way to standard output) it has none.
    bool titledByOutputName = true;
};

// The interpreter's argument vector: 11 fixed slots, then one per source.
// Creates missing files through ShortFileName, so call it with the program
// folder current as a run does.
std::vector<std::string> BuildArgVector(const JobInput& job);

// The source that is the same file as the output (named alike, or through
// a symbolic or hard link), or "" when none is. Relative names are taken
// against the current directory.
QString sourceThatIsTheOutput(const JobInput& job);

// What RunConversion returns besides the component's codes: it refused to
// write the PDF over a source, or the PDF could not be written (its folder,
// or the file came out incomplete).
constexpr int32_t OutputIsASource = -1000;
constexpr int32_t OutputNotWritten = -1004;

// What a run found beyond its result, for a caller that reports it.
struct RunReport
{
    QStringList emptySources; // sources that made no page
    QString failedSource;     // the source during which the run failed
    QString reason;           // why the PDF was not written, in English
};

// One run as the window's start button makes it, short of the log line:
// program folder current, vector, media rectangle, gsdll_init, gsdll_exit
// when that returned 0, `beforeRestore`, old directory current again.
//
// The PDF is written under a temporary name in the output's folder and
// takes the output's name only once it is complete and on the disk; on any
// failure nothing of the run is left and an older file of that name stays
// as it was. The interpreter is not run when the output is one of the
// sources (OutputIsASource) or its folder cannot take the file
// (OutputNotWritten). Returns gsdll_init's result, gsdll_exit's when that
// failed, or one of those two.
//
// Before `beforeRestore`, the callback gets a line for each source that made
// no page, one naming the source that failed, and one saying why the run
// failed.
int32_t RunConversion(const JobInput& job, GsdllCallback callback, QObject* window,
                      const std::function<void()>& beforeRestore = {}, RunReport* report = nullptr);

// The log's line for a failed run's result, or "" where none is due (success,
// or a failure that the component or the job has reported already).
QString failureLine(int32_t result);

} // namespace convert
