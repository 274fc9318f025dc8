// Folivant: PostScript files in, one PDF out. Files named on the command
// line ("Open with" in a file manager) become the sources; --help and
// --version print and end.

#include "convert/GsDll.h"
#include "mainwin/CommandLine.h"
#include "mainwin/MainUnit.h"
#include "mainwin/Pictures.h"
#include "platform/MessageBox.h"
#include "platform/QtTranslations.h"

#include <QApplication>
#include <QFile>
#include <QTimer>
#include <QWindow>

#include <cstdio>

namespace {
// Ends the program once its window has been shown and painted, so that the
// start-up can be timed from outside (FOLIVANT_EXIT_WHEN_SHOWN).
class ExitWhenShown : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The window paints on its first expose, before the queued quit runs.
        if (event->type() == QEvent::Expose || event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // exit(), not quit(): quit() would ask the window to close first.
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        }
        return false;
    }
};
} // namespace

int main(int argc, char** argv)
{
    // Before any window: --help and --version must work without a display.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QFile::decodeName(argv[i]));
    const mainwin::CommandLine line = mainwin::parseCommandLine(arguments);
    if (line.action == mainwin::CommandLine::Action::Refuse) {
        std::fputs(line.text.toLocal8Bit().constData(), stderr);
        return mainwin::RefusedExitCode;
    }
    if (line.action != mainwin::CommandLine::Action::Open) {
        std::fputs(line.text.toLocal8Bit().constData(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }

    // Qt sees no argument: every name is a file to open, "-x.ps" after
    // "--" included, and none is taken for one of Qt's own options.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral("folivant"));
    // Not Qt's display name, which would be appended to every window title.
    platform::setApplicationTitle(QStringLiteral("Folivant 2.0"));
    QApplication::setWindowIcon(mainwin::programIcon());
    platform::installQtTranslations(&app);

    mainwin::TMainForm MainForm;
    MainForm.centreOnScreen();
    if (qEnvironmentVariableIsSet("FOLIVANT_EXIT_WHEN_SHOWN")) {
        MainForm.winId(); // makes the window handle to watch
        MainForm.windowHandle()->installEventFilter(new ExitWhenShown(&MainForm));
    }
    MainForm.show();
    // Conversions then start without waiting for the interpreter to load.
    convert::gsdll_prepare();
    // After show(): a box about a missing file then stands over the window.
    MainForm.openCommandLineFiles(line.files);
    return app.exec();
}
