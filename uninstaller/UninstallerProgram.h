#pragma once
// setwell-uninstall's start-up and its buttons, around the uninstallation
// steps.

#include <QString>
#include <QStringList>

namespace uninstaller {

// "Suivant >": asks before anything is removed.
bool askToStart();

// `arguments` without the program's name; the first, when given, is the
// installation folder, else the program's own folder is. Shows the main
// window and runs until the work or the user ends it.
int RunUninstallerProgram(const QStringList& arguments, const QString& programFolder);

} // namespace uninstaller
