// Folivant: PostScript files in, one PDF out. Files named on the command
// line ("Open with" in a file manager) become the sources; --help and
// --version print and end.

#include "convert/GsDll.h"
#include "mainwin/CommandLine.h"
#include "mainwin/MainUnit.h"
#include "mainwin/Pictures.h"
#include "platform/MessageBox.h"
#include "platform/QtTranslations.h"
#include "platform/StopSignals.h"

#include <QApplication>
#include <QFile>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <functional>

namespace {
// Runs `then` once the window has been shown and painted. The start-up is
// timed from outside to that moment (FOLIVANT_EXIT_WHEN_SHOWN ends the
// program there), and whatever can wait for it does.
class WhenShown : public QObject
{
public:
    WhenShown(QObject* parent, std::function<void()> then)
        : QObject(parent), m_then(std::move(then))
    {
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The window paints on its first expose, before the queued call runs.
        if (event->type() == QEvent::Expose || event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, m_then);
        }
        return false;
    }

private:
    std::function<void()> m_then;
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
    MainForm.winId(); // makes the window handle to watch
    MainForm.windowHandle()->installEventFilter(new WhenShown(&MainForm, [] {
        // The line tells a benchmark the moment; exit(), not quit(): quit()
        // would ask the window to close first.
        if (qEnvironmentVariableIsSet("FOLIVANT_EXIT_WHEN_SHOWN")) {
            std::fputs("shown\n", stdout);
            std::fflush(stdout);
            QCoreApplication::exit(0);
        }
        // Conversions then start without waiting for the interpreter to
        // load, and its loading does not hold up the first paint.
        else
            convert::gsdll_prepare();
    }));
    // A stop signal (a polite kill, the terminal closed) ends the program
    // with the status a signal gives, and leaves no unfinished PDF.
    platform::whenStopRequested(&MainForm,
                                [&MainForm](int signal) { MainForm.endOnRequest(128 + signal); });
    // Asked before the main loop runs (a box of the command line's files
    // open), the end cannot wait for it: exec() would forget it.
    int endedWith = 0;
    QObject::connect(&MainForm, &mainwin::TMainForm::endNow, &app, [&endedWith](int exitCode) {
        endedWith = exitCode;
        QCoreApplication::exit(exitCode);
    });
    MainForm.show();
    // After show(): a box about a missing file then stands over the window.
    MainForm.openCommandLineFiles(line.files);
    return endedWith != 0 ? endedWith : app.exec();
}
