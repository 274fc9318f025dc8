// setwell-uninstall [installation folder]: removes what the folder's
// Install.log lists.

#include "platform/ProgramPath.h"
#include "setupkit/SetupApplication.h"
#include "uninstaller/UninstallerProgram.h"

#include <QApplication>
#include <QFile>

int main(int argc, char* argv[])
{
    // Taken before Qt looks at the arguments: the folder is passed whole,
    // whatever it looks like.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QFile::decodeName(argv[i]);
    QApplication app(argc, argv);
    setupkit::prepareSetupApplication(app);
    return uninstaller::RunUninstallerProgram(arguments, platform::programFolder());
}
