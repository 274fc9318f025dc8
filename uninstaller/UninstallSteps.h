#pragma once
// The uninstaller's work. Plain logic: the window shows the progress window
// through setupkit::SetupProgress and every box goes through
// platform::showMessage.

#include "platform/Registry.h"
#include "setupkit/InstallLog.h"
#include "setupkit/SetupProgress.h"

#include <QString>
#include <QStringList>

namespace uninstaller {

// The installation folder: the first argument when there is one, else the
// uninstaller's own folder; made absolute, always ending in '/'.
QString installFolderFromArguments(const QStringList& arguments, const QString& programFolder);

// "Suivant >": asks before anything is removed.
bool askToStart();

struct Uninstallation
{
    setupkit::InstallLog log;
    QString InstallFolder; // ends in '/'
};

// Removes the listed files, the menu entries and their folder, and the
// uninstall key, then shows the final message. Nothing is reported on the
// way. Only files inside the installation folder and the product's menu
// folder are ever deleted, whatever the log names.
void RunUninstallation(const Uninstallation& work, setupkit::SetupProgress& progress);
// The same with no window: the final message is shown without an owner.
void RunUninstallation(const Uninstallation& work);

// Deletes a key with everything below it, deepest keys first.
bool DeleteKeyTree(platform::Hive hive, const QString& keyPath);

extern const char* const CorruptLogText;
extern const char* const CorruptLogCaption;

} // namespace uninstaller
