#pragma once
// The uninstaller's work. Plain logic: the window shows the progress window
// through the callback and every box goes through platform::showMessage.

#include "platform/Registry.h"
#include "setupkit/InstallLog.h"

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

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

struct UninstallUi
{
    std::function<void()> showProgressWindow;
    std::function<QWidget*()> progressWindow; // owner of the final message
    // Shows the final message and ends the program; unset, the message
    // is shown here.
    std::function<void(const QString& text, const QString& caption)> finish;
};

// Removes the listed files, the menu entries and their folder, and the
// uninstall key, then shows the final message. Nothing is reported on the
// way. Only files inside the installation folder and the product's menu
// folder are ever deleted, whatever the log names.
void RunUninstallation(const Uninstallation& work, const UninstallUi& ui = {});

// Deletes a key with everything below it, deepest keys first.
bool DeleteKeyTree(platform::Hive hive, const QString& keyPath);

// True when `path` names an entry directly or deeply inside `folder`, after
// resolving ".." and any symbolic links on the way there.
bool isInsideFolder(const QString& path, const QString& folder);

extern const char* const CorruptLogText;
extern const char* const CorruptLogCaption;

} // namespace uninstaller
