#include "uninstaller/UninstallSteps.h"

#include "platform/KnownFolders.h"
#include "platform/SafeFiles.h"
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

bool DeleteUninstallKey(const setupkit::InstallLog& log, QString* error)
{
    const QString base = QString::fromLatin1(setupkit::UninstallKeyBase);
    QString keyPath = setupkit::uninstallKeyPath(log);
    const auto key = platform::RegistryKey::open(platform::Hive::Machine, keyPath,
                                                 platform::RegistryKey::Access::Full, false, error);
    if (!key)
        return false;
    bool ok = true;
    for (const char* name : {"DisplayName", "UninstallString"})
        ok = key->deleteValue(QString::fromLatin1(name), error) && ok;
    // A product named inside ours ("Suite\Outil" beside "Suite") keeps its
    // key below ours: then ours stays, empty, and goes with the last of
    // them, as does any empty key above it up to the list itself.
    while (keyPath.size() > base.size() && platform::deleteKey(platform::Hive::Machine, keyPath))
        keyPath.truncate(
            qMax(keyPath.lastIndexOf(QLatin1Char('\\')), keyPath.lastIndexOf(QLatin1Char('/'))));
    return ok;
}

void RunUninstallation(const Uninstallation& work, setupkit::SetupProgress& progress)
{
    const setupkit::InstallLog& log = work.log;
    progress.showProgressWindow();

    // The copy of Install.log is what lets a later run finish this one if
    // it is cut short, and the per-user uninstaller is what the menu entry
    // and the user start it with: both go last of all.
    QStringList last;
    setupkit::FolderGuard installed(work.InstallFolder);
    for (int i = 1; i <= log.EntryCount; ++i) {
        const setupkit::InstallEntry& entry = log.entry(i);
        const QString path = work.InstallFolder + setupkit::logPath(entry.FileName);
        if (!installed.contains(path))
            continue;
        setupkit::removeStaleCopies(path, work.InstallFolder, progress);
        if (setupkit::isLogCopy(entry.FileName))
            last.append(path);
        else if (setupkit::isTag(entry.Tag, setupkit::DeinstallTag))
            last.prepend(path);
        else
            installed.deleteFile(path);
    }
    if (!log.ExtraFileName.isEmpty()) {
        const QString path = work.InstallFolder + setupkit::logPath(log.ExtraFileName);
        if (setupkit::isLogCopy(log.ExtraFileName))
            last.append(path);
        else
            installed.deleteFile(path);
    }

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
            if (link.isEmpty())
                continue;
            menu.deleteFile(link);
            // What a write of the entry that was cut short left.
            menu.deleteFile(platform::replacementFileName(link));
        }
        // Only an empty folder goes, and only one below the menu folder.
        const QFileInfo groupInfo(group.chopped(1));
        if (groupInfo.isDir() && !groupInfo.isSymLink() &&
            setupkit::isInsideFolder(group.chopped(1), programs))
            QDir().rmdir(group.chopped(1));
    }

    DeleteUninstallKey(log);

    for (const QString& path : last)
        installed.deleteFile(path);

    progress.finish(QStringLiteral("La désinstallation est terminée!"),
                    QStringLiteral("Désinstallation terminée"), 0);
}

void RunUninstallation(const Uninstallation& work)
{
    setupkit::SetupProgress noWindow;
    RunUninstallation(work, noWindow);
}

} // namespace uninstaller
