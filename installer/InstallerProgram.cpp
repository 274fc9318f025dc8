#include "installer/InstallerProgram.h"

#include "installer/InstallSteps.h"
#include "platform/FolderDialog.h"
#include "platform/KnownFolders.h"
#include "platform/MessageBox.h"
#include "setupkit/SetupProgress.h"
#include "setupkit/SetupWindow.h"

#include <QLineEdit>

namespace installer {

bool acceptFolderFields(const QString& sourceField, const QString& installField,
                        QWidget* mainWindow)
{
    platform::MessageRequest request;
    request.owner = mainWindow;
    request.icon = platform::MsgIcon::Information;
    switch (checkFolderFields(sourceField, installField)) {
    case FolderFieldError::None:
        return true;
    case FolderFieldError::SourceFolder:
        request.text = QStringLiteral("Veuillez indiquer le chemin complet du répertoire source!");
        request.caption = QStringLiteral("Répertoire source");
        break;
    case FolderFieldError::InstallFolder:
        request.text =
            QStringLiteral("Veuillez indiquer le chemin complet du répertoire d'installation!");
        request.caption = QStringLiteral("Répertoire d'installation");
        break;
    }
    platform::showMessage(request);
    return false;
}

int RunInstallerProgram(const QString& programFolder)
{
    setupkit::SetupSession session;
    Installer work;
    work.WindowsFolder = platform::windowsFolder();
    if (!setupkit::ReadInstallLog(programFolder, work.log)) {
        setupkit::ShowLogRefused(QString::fromUtf8(CorruptLogText),
                                 QString::fromUtf8(CorruptLogCaption));
        return 0;
    }
    const BaseFolder base = DefaultBaseFolder();
    work.PerUserInstall = base.perUser;

    setupkit::MainWindowContent content;
    content.kind = setupkit::SetupKind::Installer;
    content.productName = setupkit::fromWindows1252(work.log.ProductName);
    content.firstFolder = programFolder;
    content.secondFolder = proposedInstallFolder(base.folder, work.log);
    content.browse = [&work] {
        const QString picked =
            platform::browseForFolder(setupkit::handles().mainWindow,
                                      QStringLiteral("Choisissez un répertoire d'installation"));
        if (!picked.isEmpty())
            setupkit::SetSecondFolderText(proposedInstallFolder(picked, work.log));
    };
    content.next = [&work] {
        const setupkit::SetupHandles& h = setupkit::handles();
        const QString source = h.firstFolderField->text();
        const QString target = h.secondFolderField->text();
        if (!acceptFolderFields(source, target, h.mainWindow))
            return;
        if (!setupkit::CreateProgressWindow())
            return;
        setupkit::WindowProgress progress;
        RunInstallation(work, source, target, progress);
    };
    return setupkit::RunSetupProgram(content);
}

} // namespace installer
