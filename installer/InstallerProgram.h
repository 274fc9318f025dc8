#pragma once
// setwell-install's start-up and its two buttons, around the installation
// steps.

#include <QString>

namespace installer {

// Reads the Install.log in `programFolder`, shows the main window and runs
// until the installation or the user ends it. Returns the exit code.
int RunInstallerProgram(const QString& programFolder);

} // namespace installer
