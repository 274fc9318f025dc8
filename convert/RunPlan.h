#pragma once
// How an interpreter argument vector is run: the switches that start the
// interpreter, then each file and piece of code in the vector's order, one
// at a time, so that every source starts from the same state and a source
// that quits ends only itself.

#include <cstdint>
#include <string>
#include <vector>

namespace convert {

struct RunStep
{
    bool isFile = true;
    std::string text; // the file name, or the code
};

struct RunPlan
{
    std::vector<std::string> startArgs; // argv[0] slot first
    std::vector<RunStep> steps;
    // The PDF's title when the plan runs several files (one file keeps its
    // own); empty leaves the interpreter's.
    std::string title;

    // The plan as a list of strings and back (see InterpreterProtocol.h).
    std::vector<std::string> toStrings() const;
    static bool fromStrings(const std::vector<std::string>& strings, RunPlan& plan);
};

// The plan for args (args[0] is the program-name slot). With a media
// rectangle (width and height > 0) the switches that fix the page size are
// added. -dBATCH is left out: the plan ends by itself after its last step.
RunPlan planRun(const std::vector<std::string>& args, int32_t width = 0, int32_t height = 0);

// The arguments a run with a media rectangle of width x height points gives
// the interpreter: args with the switches that fix the page size added
// before the first code or file.
std::vector<std::string> withMediaArguments(std::vector<std::string> args, int32_t width,
                                            int32_t height);

} // namespace convert
