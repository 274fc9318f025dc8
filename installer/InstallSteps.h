#pragma once
// The installer's work, from the folder fields to the final message. Plain
// logic: the window hands in what the user typed and receives progress,
// failures and the final message through setupkit::SetupProgress.

#include "setupkit/InstallLog.h"
#include "setupkit/SetupProgress.h"

#include <QString>

namespace installer {

struct BaseFolder
{
    QString folder; // ends in '/'
    bool perUser = false;
};

// Machine-wide where the machine registry can be written, else per user.
BaseFolder DefaultBaseFolder();

// The installation folder proposed in the second field, and the one a
// folder picked in the browser becomes: at most MaxShownText characters.
QString proposedInstallFolder(const QString& base, const setupkit::InstallLog& log);

struct Installer
{
    setupkit::InstallLog log;
    bool PerUserInstall = false;
    QString WindowsFolder; // ends in '/'
    QString SourceFolder;  // ends in '/'
    QString InstallFolder; // ends in '/'
    QString GroupFolder;   // ends in '/'; empty when the menu folder is unusable
};

// The field that is no full path, checked before any work starts: an empty
// or relative folder would install into the root or wherever the program
// was started. The window then tells the user and stays.
enum class FolderFieldError { None, SourceFolder, InstallFolder };
FolderFieldError checkFolderFields(const QString& sourceField, const QString& installField);

// The whole installation, in order: copy pass, registration, menu folder,
// shortcut pass, run pass, final message. A file that could not be copied
// gets no menu entry and is not opened; the uninstaller is registered (or
// given its menu entry) only once it and the copy of Install.log it reads
// are both in place; a menu folder that leads out of the menu gets no
// entries; and the final message and exit code say when the installation
// is incomplete, which then leaves no empty menu folder. Returns false then.
bool RunInstallation(Installer& installer, const QString& sourceField, const QString& installField,
                     setupkit::SetupProgress& progress);

// Copies one file with its progress text, after removing what an earlier
// copy there that was killed left. A failure leaves the destination as it
// was and returns false, with the message the user is to see in `error`.
// `folder`, the installation folder that holds the destination, is where
// links stop being followed: a folder of an entry's path found there as a
// link is not gone through.
bool CopyOneFile(const QString& source, const QString& destination,
                 setupkit::SetupProgress& progress, const QString& folder,
                 QString* error = nullptr);

// Writes the uninstall key of the product into the machine registry; on
// failure `error`, when given, says what failed and why.
bool RegisterUninstall(const Installer& installer, const QString& uninstallerFileName,
                       QString* error = nullptr);

// Writes one menu entry. Desktop entries have no icon index, show command
// or hot key: those are accepted and not used. `iconFile` is a full path or
// an icon theme's name; `categories` places the entry in the menus.
bool WriteShortcut(const QString& linkFile, const QString& description, const QString& target,
                   const QString& arguments, const QString& workingFolder, const QString& iconFile,
                   int iconIndex, int showCommand, int hotKey, const QString& categories);

// The command registered to remove the product: the uninstaller followed by
// the installation folder, both quoted for a POSIX shell.
QString uninstallCommand(const QString& uninstallerPath, const QString& installFolder);

// Texts the installer shows.
extern const char* const CorruptLogText;
extern const char* const CorruptLogCaption;

} // namespace installer
