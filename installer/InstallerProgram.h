#pragma once
// setwell-install's start-up and its two buttons, around the installation
// steps.

#include <QString>

class QWidget;

namespace installer {

// "Suivant >" pressed: true when both fields name a full path, else false
// after telling the user which one does not, in a box owned by `mainWindow`.
bool acceptFolderFields(const QString& sourceField, const QString& installField,
                        QWidget* mainWindow);

// Reads the Install.log in `programFolder`, shows the main window and runs
// until the installation or the user ends it. Returns the exit code.
int RunInstallerProgram(const QString& programFolder);

} // namespace installer
