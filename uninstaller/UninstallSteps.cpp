#include "uninstaller/UninstallSteps.h"

#include "platform/MessageBox.h"
#include "platform/Shortcut.h"
#include "platform/SpecialFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace uninstaller {

const char* const CorruptLogText =
    "Le fichier Install.log est corrompu! Impossible de désinstaller!";
const char* const CorruptLogCaption = "Désinstallation annulée!";

namespace {

const char* const UninstallKeyBase = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

QString canonicalFolder(const QString& folder)
{
    return QFileInfo(folder).canonicalFilePath();
}

// Deletes a file (or a link, never what it points at) inside `folder`.
// Folders are never deleted here; failures are not reported.
void deleteFileInside(const QString& path, const QString& folder)
{
    if (!isInsideFolder(path, folder))
        return;
    const QFileInfo info(path);
    if (info.isSymLink() || (info.exists() && !info.isDir()))
        QFile::remove(path);
}

} // namespace

QString installFolderFromArguments(const QStringList& arguments, const QString& programFolder)
{
    const QString folder =
        arguments.isEmpty() || arguments.first().isEmpty() ? programFolder : arguments.first();
    return platform::withTrailingSlash(folder);
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

bool isInsideFolder(const QString& path, const QString& folder)
{
    const QString base = canonicalFolder(folder);
    if (base.isEmpty() || !QDir::isAbsolutePath(path))
        return false;
    const QString cleaned = QDir::cleanPath(path);
    const QFileInfo info(cleaned);
    const QString name = info.fileName();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    // The parent's real place decides: a linked subfolder may lead anywhere.
    const QString parent = canonicalFolder(info.path());
    if (parent.isEmpty())
        return false;
    return parent == base ||
           parent.startsWith(base == QLatin1String("/") ? base : base + QLatin1Char('/'));
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

void RunUninstallation(const Uninstallation& work, const UninstallUi& ui)
{
    const setupkit::InstallLog& log = work.log;
    if (ui.showProgressWindow)
        ui.showProgressWindow();

    for (int i = 1; i <= log.EntryCount; ++i)
        deleteFileInside(work.InstallFolder + setupkit::logPath(log.entry(i).FileName),
                         work.InstallFolder);
    if (!log.ExtraFileName.isEmpty())
        deleteFileInside(work.InstallFolder + setupkit::logPath(log.ExtraFileName),
                         work.InstallFolder);

    // Without a usable menu folder there are no entries of ours to remove.
    const QString programs = platform::programsMenuFolder();
    if (!programs.isEmpty() && !log.GroupName.isEmpty() &&
        setupkit::isSafeRelativePath(log.GroupName)) {
        const QString group = programs + setupkit::logPath(log.GroupName) + QLatin1Char('/');
        for (int i = 1; i <= log.EntryCount; ++i) {
            const QByteArray& tag = log.entry(i).Tag;
            if (tag == "NEIN!")
                continue;
            const QString name =
                tag == "DEINST!" ? QStringLiteral("Uninstall") : setupkit::fromWindows1252(tag);
            const QString link = platform::shortcutPath(group, name);
            if (!link.isEmpty())
                deleteFileInside(link, group);
        }
        // Only an empty folder goes, and only one below the menu folder.
        const QFileInfo groupInfo(group.chopped(1));
        if (groupInfo.isDir() && !groupInfo.isSymLink() &&
            isInsideFolder(group.chopped(1), programs))
            QDir().rmdir(group.chopped(1));
    }

    const QString keyPath =
        QString::fromLatin1(UninstallKeyBase) + setupkit::fromWindows1252(log.FolderName);
    DeleteKeyTree(platform::Hive::Machine, keyPath);

    const QString text = QStringLiteral("La désinstallation est terminée!");
    const QString caption = QStringLiteral("Désinstallation terminée");
    if (ui.finish) {
        ui.finish(text, caption);
        return;
    }
    platform::MessageRequest done;
    done.owner = ui.progressWindow ? ui.progressWindow() : nullptr;
    done.text = text;
    done.caption = caption;
    done.icon = platform::MsgIcon::Information;
    done.taskModal = true;
    platform::showMessage(done);
}

} // namespace uninstaller
