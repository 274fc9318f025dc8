#include "uninstaller/UninstallSteps.h"

#include "platform/KnownFolders.h"
#include "platform/MessageBox.h"
#include "platform/Shortcut.h"
#include "setupkit/InstallVocabulary.h"

#include <QDir>
#include <QFileInfo>

namespace uninstaller {

const char* const CorruptLogText =
    "Le fichier Install.log est corrompu! Impossible de désinstaller!";
const char* const CorruptLogCaption = "Désinstallation annulée!";

QString installFolderFromArguments(const QStringList& arguments, const QString& programFolder)
{
    const QString folder =
        arguments.isEmpty() || arguments.first().isEmpty() ? programFolder : arguments.first();
    // A folder named relative to where the command was given: every path
    // the guard accepts is absolute, so a relative one would delete nothing.
    return platform::withTrailingSlash(QDir::current().absoluteFilePath(folder));
}

bool askToStart()
{
    platform::MessageRequest request;
    request.text = QStringLiteral("Voulez-vous vraiment désinstaller le programme?");
    request.caption = QStringLiteral("Start deinstallation?");
    request.icon = platform::MsgIcon::Question;
    request.buttons = platform::MsgButtons::YesNo;
    return platform::showMessage(request) == platform::MsgAnswer::Yes;
}

bool DeleteKeyTree(platform::Hive hive, const QString& keyPath)
{
    const auto key =
        platform::RegistryKey::open(hive, keyPath, platform::RegistryKey::Access::Full);
    if (!key)
        return false;
    const QStringList subKeys = key->subKeys();
    for (int i = int(subKeys.size()) - 1; i >= 0; --i)
        DeleteKeyTree(hive, keyPath + QLatin1Char('\\') + subKeys.at(i));
    return platform::deleteKey(hive, keyPath);
}

void RunUninstallation(const Uninstallation& work, setupkit::SetupProgress& progress)
{
    const setupkit::InstallLog& log = work.log;
    progress.showProgressWindow();

    setupkit::FolderGuard installed(work.InstallFolder);
    for (int i = 1; i <= log.EntryCount; ++i)
        installed.deleteFile(work.InstallFolder + setupkit::logPath(log.entry(i).FileName));
    if (!log.ExtraFileName.isEmpty())
        installed.deleteFile(work.InstallFolder + setupkit::logPath(log.ExtraFileName));

    // Without a usable menu folder there are no entries of ours to remove.
    // Without a group name the entries lie in the menu folder itself.
    const QString programs = platform::programsMenuFolder();
    const QString group =
        programs.isEmpty() || !setupkit::isSafeRelativePath(log.GroupName)
            ? QString()
            : platform::withTrailingSlash(programs + setupkit::logPath(log.GroupName));
    // The group folder must really lie in the menu folder, or be that folder:
    // a group name leading through a linked folder names some other place.
    if (setupkit::isFolderOrBelow(group, programs)) {
        setupkit::FolderGuard menu(group);
        for (int i = 1; i <= log.EntryCount; ++i) {
            const QByteArray& tag = log.entry(i).Tag;
            if (setupkit::isTag(tag, setupkit::NoEntryTag))
                continue;
            const QString name = setupkit::isTag(tag, setupkit::DeinstallTag)
                                     ? setupkit::uninstallEntryName()
                                     : setupkit::fromWindows1252(tag);
            const QString link = platform::shortcutPath(group, name);
            if (!link.isEmpty())
                menu.deleteFile(link);
        }
        // Only an empty folder goes, and only one below the menu folder.
        const QFileInfo groupInfo(group.chopped(1));
        if (groupInfo.isDir() && !groupInfo.isSymLink() &&
            setupkit::isInsideFolder(group.chopped(1), programs))
            QDir().rmdir(group.chopped(1));
    }

    DeleteKeyTree(platform::Hive::Machine, setupkit::uninstallKeyPath(log));

    progress.finish(QStringLiteral("La désinstallation est terminée!"),
                    QStringLiteral("Désinstallation terminée"), 0);
}

void RunUninstallation(const Uninstallation& work)
{
    setupkit::SetupProgress noWindow;
    RunUninstallation(work, noWindow);
}

} // namespace uninstaller
