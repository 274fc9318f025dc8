#pragma once
// The window program's command line: the files to open, as a file manager's
// "Open with" names them, and the two options every terminal tool takes.
// Read before anything opens a window, so that --help works without one.

#include <QString>
#include <QStringList>

namespace mainwin {

struct CommandLine
{
    enum class Action { Open, Help, Version, Refuse };
    Action action = Action::Open;
    // The names to open, in order (Open).
    QStringList files;
    // What to print: the help or version text on standard output, the
    // refusal on standard error.
    QString text;
};

// `arguments` without the program's name. The first option decides; "--"
// ends the options, so that what follows is taken as names, "-x.ps" or
// "--help" included.
CommandLine parseCommandLine(const QStringList& arguments);

// Exit status of a refused command line, as other terminal tools use it.
constexpr int RefusedExitCode = 2;

} // namespace mainwin
