#include "uninstaller/UninstallerProgram.h"

#include "platform/MessageBox.h"
#include "setupkit/SetupProgress.h"
#include "setupkit/SetupWindow.h"
#include "uninstaller/UninstallSteps.h"

namespace uninstaller {

bool askToStart()
{
    platform::MessageRequest request;
    request.text = QStringLiteral("Voulez-vous vraiment désinstaller le programme?");
    request.caption = QStringLiteral("Start deinstallation?");
    request.icon = platform::MsgIcon::Question;
    request.buttons = platform::MsgButtons::YesNo;
    return platform::showMessage(request) == platform::MsgAnswer::Yes;
}

int RunUninstallerProgram(const QStringList& arguments, const QString& programFolder)
{
    setupkit::SetupSession session;
    Uninstallation work;
    work.InstallFolder = installFolderFromArguments(arguments, programFolder);
    if (!setupkit::ReadInstallLog(work.InstallFolder, work.log)) {
        setupkit::ShowLogRefused(QString::fromUtf8(CorruptLogText),
                                 QString::fromUtf8(CorruptLogCaption));
        return 0;
    }

    setupkit::MainWindowContent content;
    content.kind = setupkit::SetupKind::Uninstaller;
    content.productName = setupkit::fromWindows1252(work.log.ProductName);
    content.firstFolder = work.InstallFolder;
    content.next = [&work] {
        if (!askToStart() || !setupkit::CreateProgressWindow())
            return;
        setupkit::WindowProgress progress;
        RunUninstallation(work, progress);
    };
    return setupkit::RunSetupProgram(content);
}

} // namespace uninstaller
