#include "installer/InstallSteps.h"

#include "platform/FileCopy.h"
#include "platform/KnownFolders.h"
#include "platform/Registry.h"
#include "platform/ShellOpen.h"
#include "platform/Shortcut.h"
#include "setupkit/InstallVocabulary.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>

#include <array>

namespace installer {

const char* const CorruptLogText = "Le fichier Install.log est corrompu! Impossible d'installer!";
const char* const CorruptLogCaption = "Installation annulée!";

namespace {

// Every menu entry opens its program in a normal window.
constexpr int ShowCommand = 5;

// The installer knows nothing of the product: its entries go with the
// utilities, the uninstaller's with the system's tools.
const char* const ProductCategories = "Utility;";
const char* const UninstallCategories = "System;";
// Icon theme names for entries whose distribution ships no icon.
const char* const ProgramIconName = "application-x-executable";
const char* const UninstallIconName = "system-software-install";

using setupkit::isTag;

// Everything the shell would otherwise interpret is escaped inside the
// double quotes, so the quoted text arrives as one argument, unchanged.
QString shellDoubleQuoted(const QString& text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\') || c == QLatin1Char('$') ||
            c == QLatin1Char('`'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out + QLatin1Char('"');
}

bool isPlainShellWord(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                           QStringLiteral("/._-+,:@%").contains(c);
        if (!plain)
            return false;
    }
    return true;
}

// The user's menu folder for the product, made with any missing parents
// (a fresh account may not have its applications folder yet); without a
// group name the entries go straight into the menu folder. Empty, after
// telling the user through `progress`, when there is none: the product then
// gets no entries. `made` receives the folders below the menu folder that
// this made, outer ones first.
QString makeGroupFolder(const setupkit::InstallLog& log, setupkit::SetupProgress& progress,
                        QStringList& made)
{
    const QString programs = platform::programsMenuFolder();
    if (programs.isEmpty() || !setupkit::isSafeRelativePath(log.GroupName)) {
        progress.reportFailure(setupkit::SetupFailure::MenuFolderMissing,
                               QStringLiteral("Le dossier du menu Démarrer est introuvable! "
                                              "Les raccourcis du programme ne sont pas créés."));
        return QString();
    }
    const QString group = platform::withTrailingSlash(programs + setupkit::logPath(log.GroupName));
    bool ok = QDir().mkpath(programs);
    // One level at a time, each looked at before anything is made in it: a
    // linked folder on the way would put the entries wherever it leads (a
    // folder whose programs start at every login), where the uninstaller
    // never looks.
    QString folder = programs;
    for (const QString& name :
         setupkit::logPath(log.GroupName).split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (!ok)
            break;
        folder += name;
        if (!QFileInfo::exists(folder)) {
            ok = QDir().mkdir(folder);
            if (ok)
                made << folder;
        }
        if (ok && !setupkit::isFolderOrBelow(folder, programs)) {
            progress.reportFailure(
                setupkit::SetupFailure::MenuFolderOutside,
                QStringLiteral("Le dossier ") + group +
                    QStringLiteral(" ne se trouve pas dans le menu Démarrer! Les raccourcis "
                                   "du programme ne sont pas créés."));
            return QString();
        }
        folder += QLatin1Char('/');
    }
    if (!ok || !QFileInfo(group).isDir()) {
        progress.reportFailure(setupkit::SetupFailure::MenuFolderMissing,
                               QStringLiteral("Le dossier du menu Démarrer ") + group +
                                   QStringLiteral(" ne peut pas être créé! Les raccourcis du "
                                                  "programme ne sont pas créés."));
        return QString();
    }
    return group;
}

// Creates the folder part of an entry's destination, one level only: a
// deeper part needs an earlier entry to have made its parent.
void makeEntryFolder(const QString& destination, const QString& fileName)
{
    if (fileName.contains(QLatin1Char('/')))
        QDir().mkdir(QFileInfo(destination).path());
}

// The icon of entry `index`'s menu entry. A distribution gives a file its
// own icon by listing a picture named after it with ".svg" or ".png"
// appended ("prog" and "prog.svg"); once copied, the entry names it by its
// installed path. Otherwise the icon theme's picture of the file's kind.
QString menuIcon(const Installer& installer, const std::array<bool, setupkit::MaxEntries>& copied,
                 int index)
{
    const setupkit::InstallLog& log = installer.log;
    const setupkit::InstallEntry& entry = log.entry(index);
    // Scalable pictures first.
    for (const char* suffix : {".svg", ".png"}) {
        const QByteArray iconName = entry.FileName + suffix;
        for (int i = 1; i <= log.EntryCount; ++i) {
            if (log.entry(i).FileName == iconName && copied[size_t(i - 1)])
                return installer.InstallFolder + setupkit::logPath(iconName);
        }
    }
    if (isTag(entry.Tag, setupkit::DeinstallTag))
        return QString::fromLatin1(UninstallIconName);
    const QFileInfo file(installer.InstallFolder + setupkit::logPath(entry.FileName));
    if (file.isFile() && file.isExecutable())
        return QString::fromLatin1(ProgramIconName);
    // A document: the picture of its type that every icon theme has.
    return QMimeDatabase().mimeTypeForFile(file).genericIconName();
}

} // namespace

BaseFolder DefaultBaseFolder()
{
    BaseFolder base;
    if (platform::hasMachineWideRights()) {
        base.folder = platform::programFilesFolder();
        return base;
    }
    const QString appData = platform::appDataFolder();
    if (!appData.isEmpty()) {
        base.folder = appData;
        base.perUser = true;
        return base;
    }
    base.folder = platform::programFilesFolder();
    return base;
}

QString proposedInstallFolder(const QString& base, const setupkit::InstallLog& log)
{
    // The field holds what the windows can use; a cut never splits a
    // character in two.
    QString folder = platform::withTrailingSlash(base) + setupkit::logPath(log.FolderName);
    if (folder.size() > setupkit::MaxShownText) {
        folder.truncate(setupkit::MaxShownText);
        if (folder.back().isHighSurrogate())
            folder.chop(1);
    }
    return folder;
}

FolderFieldError checkFolderFields(const QString& sourceField, const QString& installField)
{
    if (!sourceField.startsWith(QLatin1Char('/')))
        return FolderFieldError::SourceFolder;
    if (!installField.startsWith(QLatin1Char('/')))
        return FolderFieldError::InstallFolder;
    return FolderFieldError::None;
}

bool CopyOneFile(const QString& source, const QString& destination,
                 setupkit::SetupProgress& progress, const QString& folder, QString* error)
{
    progress.setProgressText(QStringLiteral("Copier ") + source + QStringLiteral("\r vers \r") +
                             destination + QStringLiteral("..."));
    progress.setWaitCursor(true);
    // A copy that was killed here before left its temporary behind.
    setupkit::removeStaleCopies(destination, folder, progress);
    platform::CopyOptions options;
    options.within = folder;
    const bool ok = platform::copyFileBytes(source, destination, options);
    progress.setWaitCursor(false);
    if (!ok && error)
        *error = QStringLiteral("Erreur pendant la copie du fichier \r\n") + source +
                 QStringLiteral("\r\n vers \r\n") + destination + QStringLiteral(" !");
    return ok;
}

bool WriteShortcut(const QString& linkFile, const QString& description, const QString& target,
                   const QString& arguments, const QString& workingFolder, const QString& iconFile,
                   int iconIndex, int showCommand, int hotKey, const QString& categories)
{
    (void)iconIndex;
    (void)showCommand;
    (void)hotKey;
    platform::ShortcutEntry shortcut;
    shortcut.linkFile = linkFile;
    shortcut.description = description;
    shortcut.target = target;
    shortcut.arguments = arguments;
    shortcut.workingFolder = workingFolder;
    shortcut.iconFile = iconFile;
    shortcut.categories = categories;
    return platform::writeShortcut(shortcut);
}

QString uninstallCommand(const QString& uninstallerPath, const QString& installFolder)
{
    const QString program =
        isPlainShellWord(uninstallerPath) ? uninstallerPath : shellDoubleQuoted(uninstallerPath);
    return program + QLatin1Char(' ') + shellDoubleQuoted(installFolder);
}

bool RegisterUninstall(const Installer& installer, const QString& uninstallerFileName,
                       QString* error)
{
    const auto key = platform::RegistryKey::open(platform::Hive::Machine,
                                                 setupkit::uninstallKeyPath(installer.log),
                                                 platform::RegistryKey::Access::Full, true, error);
    return key &&
           key->writeString(QStringLiteral("DisplayName"),
                            setupkit::fromWindows1252(installer.log.FolderName), error) &&
           key->writeString(QStringLiteral("UninstallString"),
                            uninstallCommand(installer.WindowsFolder + uninstallerFileName,
                                             installer.InstallFolder),
                            error);
}

bool RunInstallation(Installer& installer, const QString& sourceField, const QString& installField,
                     setupkit::SetupProgress& progress)
{
    const setupkit::InstallLog& log = installer.log;
    installer.SourceFolder = platform::withTrailingSlash(sourceField);
    installer.InstallFolder = platform::withTrailingSlash(installField);

    // One level only: the parent has to exist. An existing folder is fine.
    QDir().mkdir(installer.InstallFolder.chopped(1));
    progress.showProgressWindow();

    // Entries whose file is in place; the others get no menu entry, are
    // not opened and are not registered.
    std::array<bool, setupkit::MaxEntries> copied{};
    bool allCopied = true;
    // The uninstaller's entry once it is in place, and whether the copy of
    // Install.log it will read is.
    int uninstallerCopied = 0;
    bool logCopied = false;
    for (int i = 1; i <= log.EntryCount; ++i) {
        const setupkit::InstallEntry& entry = log.entry(i);
        const QString fileName = setupkit::logPath(entry.FileName);
        const QString source = installer.SourceFolder + fileName;
        const bool machineUninstaller =
            isTag(entry.Tag, setupkit::DeinstallTag) && !installer.PerUserInstall;
        // The shared setup folder may not exist yet on this system.
        if (machineUninstaller)
            QDir().mkpath(installer.WindowsFolder);
        const QString& folder =
            machineUninstaller ? installer.WindowsFolder : installer.InstallFolder;
        const QString destination = folder + fileName;
        makeEntryFolder(destination, fileName);
        QString error;
        copied[size_t(i - 1)] = CopyOneFile(source, destination, progress, folder, &error);
        if (!copied[size_t(i - 1)])
            progress.reportFailure(setupkit::SetupFailure::CopyFailed, error);
        allCopied = allCopied && copied[size_t(i - 1)];
        if (isTag(entry.Tag, setupkit::DeinstallTag) && copied[size_t(i - 1)])
            uninstallerCopied = i;
        if (!machineUninstaller && setupkit::isLogCopy(entry.FileName) && copied[size_t(i - 1)])
            logCopied = true;
    }

    // An uninstaller without its Install.log refuses to run: it is offered
    // (registered, or given its menu entry) only once both are in place.
    const bool uninstallOffered = uninstallerCopied && logCopied;
    if (uninstallerCopied &&
        (!uninstallOffered ||
         (!installer.PerUserInstall &&
          !RegisterUninstall(installer, setupkit::logPath(log.entry(uninstallerCopied).FileName)))))
        progress.reportFailure(setupkit::SetupFailure::NotRegistered,
                               QStringLiteral("La désinstallation de ") +
                                   setupkit::fromWindows1252(log.FolderName) +
                                   QStringLiteral(" ne peut pas être enregistrée!"));

    QStringList madeFolders;
    installer.GroupFolder = makeGroupFolder(log, progress, madeFolders);
    if (!installer.GroupFolder.isEmpty()) {
        for (int i = 1; i <= log.EntryCount; ++i) {
            const setupkit::InstallEntry& entry = log.entry(i);
            if (!copied[size_t(i - 1)])
                continue;
            QString name;
            const char* categories = ProductCategories;
            if (isTag(entry.Tag, setupkit::DeinstallTag)) {
                if (!installer.PerUserInstall || !uninstallOffered)
                    continue;
                name = setupkit::uninstallEntryName();
                categories = UninstallCategories;
            } else if (isTag(entry.Tag, setupkit::NoEntryTag)) {
                continue;
            } else {
                name = setupkit::fromWindows1252(entry.Tag);
            }
            // The entry's file name gives its menu name. Failures pass
            // silently, as for every menu entry.
            const QString linkFile = platform::shortcutPath(installer.GroupFolder, name);
            if (!linkFile.isEmpty())
                WriteShortcut(linkFile, QString(),
                              installer.InstallFolder + setupkit::logPath(entry.FileName),
                              QString(), QString(), menuIcon(installer, copied, i), 0, ShowCommand,
                              0, QString::fromLatin1(categories));
        }
    }
    // A failed installation leaves no empty menu folder of its own making.
    if (!allCopied) {
        for (auto made = madeFolders.crbegin(); made != madeFolders.crend(); ++made)
            QDir().rmdir(*made);
    }

    for (int i = 1; i <= log.EntryCount; ++i) {
        const setupkit::InstallEntry& entry = log.entry(i);
        if (isTag(entry.Tag, setupkit::ExecTag) && copied[size_t(i - 1)])
            platform::shellOpen(installer.InstallFolder + setupkit::logPath(entry.FileName));
    }

    if (allCopied)
        progress.finish(QStringLiteral("L'installation est terminée!"),
                        QStringLiteral("Installation terminée"), 0);
    else
        progress.finish(
            QStringLiteral("L'installation est terminée, mais des fichiers n'ont pas été copiés!"),
            QStringLiteral("Installation terminée"), 1);
    return allCopied;
}

} // namespace installer
