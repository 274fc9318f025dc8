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
};

// The interpreter's argument vector: 11 fixed slots, then one per source.
// Creates missing files through ShortFileName, so call it with the program
// folder current as a run does.
std::vector<std::string> BuildArgVector(const JobInput& job);

// The source that names the same file as the output, or "" when none does.
// Relative names are taken against the current directory.
QString sourceThatIsTheOutput(const JobInput& job);

// What RunConversion returns when it refused to write the PDF over a source.
constexpr int32_t OutputIsASource = -1000;

// One run as the window's start button makes it, short of the log line:
// program folder current, vector, media rectangle, gsdll_init, gsdll_exit
// when that returned 0, `beforeRestore`, old directory current again.
// Returns gsdll_init's result, or gsdll_exit's when that failed. When the
// output is one of the sources the interpreter is not run: the callback gets a
// line saying so and the result is OutputIsASource.
//
// Before `beforeRestore`, the callback gets a line for each source that made
// no page (also listed in emptySources) and one line when the run failed. A
// stopped run's partial PDF is removed.
int32_t RunConversion(const JobInput& job, GsdllCallback callback, QObject* window,
                      const std::function<void()>& beforeRestore = {},
                      QStringList* emptySources = nullptr);

// The log's line for a failed run's result, or "" where none is due (success,
// or a failure that the component or the job has reported already).
QString failureLine(int32_t result);

} // namespace convert
