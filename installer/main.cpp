// setwell-install: installs the product listed in the Install.log beside it.

#include "installer/InstallerProgram.h"
#include "platform/ProgramPath.h"
#include "setupkit/SetupApplication.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    setupkit::prepareSetupApplication(app);
    return installer::RunInstallerProgram(platform::programFolder());
}
