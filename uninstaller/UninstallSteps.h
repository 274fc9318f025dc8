#pragma once
// The uninstaller's work. Plain logic: the window shows the progress window,
// failures and the final message through setupkit::SetupProgress.

#include "platform/Registry.h"
#include "setupkit/InstallLog.h"
#include "setupkit/SetupProgress.h"

#include <QString>
#include <QStringList>

namespace uninstaller {

// The installation folder: the first argument when there is one, else the
// uninstaller's own folder; made absolute, always ending in '/'.
QString installFolderFromArguments(const QStringList& arguments, const QString& programFolder);

struct Uninstallation
{
    setupkit::InstallLog log;
    QString InstallFolder; // ends in '/'
};

// Removes the listed files (with what copies of them that were killed
// left), the menu entries and their folder, the uninstall registration,
// and last the uninstaller in the installation folder and the copy of
// Install.log, so that a run cut short anywhere can be run again to the
// end. Then shows the final message. Nothing is reported on the way but a
// temporary that could not be removed. Only files inside the installation
// folder and the product's menu folder are ever deleted, whatever the log
// names.
void RunUninstallation(const Uninstallation& work, setupkit::SetupProgress& progress);
// The same with no window: the final message is shown without an owner.
void RunUninstallation(const Uninstallation& work);

// Removes the product's two values from its uninstall key, then the key
// once nothing else is left in it, and every key above it left empty up to
// the list of uninstall keys. False when the key or a value would not go,
// with the reason in `error` when given.
bool DeleteUninstallKey(const setupkit::InstallLog& log, QString* error = nullptr);

extern const char* const CorruptLogText;
extern const char* const CorruptLogCaption;

} // namespace uninstaller
