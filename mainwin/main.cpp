// Folivant: PostScript files in, one PDF out. Takes no arguments.

#include "mainwin/MainUnit.h"
#include "mainwin/Pictures.h"
#include "mainwin/QtTranslations.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("folivant"));
    QApplication::setApplicationDisplayName(QStringLiteral("Folivant 2.0"));
    QApplication::setWindowIcon(programIcon());
    installQtTranslations(&app);

    TMainForm MainForm;
    MainForm.centreOnScreen();
    MainForm.show();
    return app.exec();
}
