#include "uninstaller/UninstallSteps.h"

#include "platform/KnownFolders.h"
#include "platform/MessageBox.h"
#include "platform/Shortcut.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

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

// Decides which paths lie inside one folder. A product has many files in
// few folders, so each parent's real place is looked up once.
class FolderGuard
{
public:
    explicit FolderGuard(const QString& folder) : m_base(canonicalFolder(folder)) {}

    bool contains(const QString& path)
    {
        if (m_base.isEmpty() || !QDir::isAbsolutePath(path))
            return false;
        const QFileInfo info(QDir::cleanPath(path));
        const QString name = info.fileName();
        if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
            return false;
        const QString parentPath = info.path();
        const auto known = m_parents.constFind(parentPath);
        if (known != m_parents.constEnd())
            return *known;
        // The parent's real place decides: a linked subfolder may lead anywhere.
        const QString parent = canonicalFolder(parentPath);
        const bool inside =
            !parent.isEmpty() &&
            (parent == m_base ||
             parent.startsWith(m_base.endsWith(QLatin1Char('/')) ? m_base
                                                                 : m_base + QLatin1Char('/')));
        m_parents.insert(parentPath, inside);
        return inside;
    }

    // Deletes a file, or a link but never what it points at. A folder is
    // never deleted here (unlinking one fails); failures are not reported.
    void deleteFile(const QString& path)
    {
        if (contains(path))
            QFile::remove(path);
    }

private:
    QString m_base;
    QHash<QString, bool> m_parents;
};

// The group folder must really lie in the menu folder, or be that folder:
// a group name leading through a linked folder names some other place.
bool isMenuFolder(const QString& group, const QString& programs)
{
    if (group.isEmpty())
        return false;
    const QString real = canonicalFolder(group);
    const QString menu = canonicalFolder(programs);
    return !real.isEmpty() && !menu.isEmpty() &&
           (real == menu ||
            real.startsWith(menu.endsWith(QLatin1Char('/')) ? menu : menu + QLatin1Char('/')));
}

} // namespace

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

bool isInsideFolder(const QString& path, const QString& folder)
{
    return FolderGuard(folder).contains(path);
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

    FolderGuard installed(work.InstallFolder);
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
    if (isMenuFolder(group, programs)) {
        FolderGuard menu(group);
        for (int i = 1; i <= log.EntryCount; ++i) {
            const QByteArray& tag = log.entry(i).Tag;
            if (tag == "NEIN!")
                continue;
            const QString name =
                tag == "DEINST!" ? QStringLiteral("Uninstall") : setupkit::fromWindows1252(tag);
            const QString link = platform::shortcutPath(group, name);
            if (!link.isEmpty())
                menu.deleteFile(link);
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
