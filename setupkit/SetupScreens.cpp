// The two windows of the setup programs, built on the window framework:
// the one-page wizard and the progress window that takes its place.

#include "setupkit/SetupWindow.h"
#include "setupkit/SetupWindowShared.h"

#include "platform/MessageBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

namespace setupkit {

namespace {

const QString MainClassName = QStringLiteral("QuorvexClass");
const QString ProgressClassName = QStringLiteral("SetwellWndclass");
constexpr int WindowWidth = 520;
constexpr int WindowHeight = 360;

} // namespace

WindowResult MainWndProc(SetupWindow* window, const WindowMessage& message)
{
    SetupHandles& h = handles();
    switch (message.message) {
    case Message::Destroy:
        PostQuitMessage(0);
        return {};
    case Message::CtlColorStatic: {
        WindowResult result;
        result.brush =
            message.lParam && message.lParam == h.welcomeBanner ? QBrush(Qt::white) : h.FaceBrush;
        return result;
    }
    case Message::Command: {
        // Edit notifications carry their code in the high word; only a
        // click (whole WParam 0) is a command here.
        if (message.wParam != 0 || !message.lParam)
            return {};
        const QWidget* control = message.lParam;
        if (control == h.browseButton) {
            if (state().browse)
                state().browse();
        } else if (control == h.nextButton) {
            if (state().next)
                state().next();
        } else if (control == h.cancelButton) {
            ConfirmQuit();
        }
        return {};
    }
    case Message::Close:
        break;
    }
    return DefWindowProc(window, message);
}

WindowResult ProgressWndProc(SetupWindow* window, const WindowMessage& message)
{
    SetupHandles& h = handles();
    switch (message.message) {
    case Message::Destroy:
        PostQuitMessage(0);
        return {};
    case Message::CtlColorStatic: {
        const bool white = message.lParam &&
                           (message.lParam == h.progressBanner || message.lParam == h.progressText);
        WindowResult result;
        result.brush = white ? QBrush(Qt::white) : h.FaceBrush;
        return result;
    }
    case Message::Close:
    case Message::Command:
        break;
    }
    return DefWindowProc(window, message);
}

QString mainWindowTitle(SetupKind kind)
{
    return kind == SetupKind::Installer ? QStringLiteral("Quorvex Programme d'installation")
                                        : QStringLiteral("Quorvex Programme de désinstallation");
}

QString welcomeText(SetupKind kind, const QString& productName)
{
    // Kept whole however long the product name is.
    const QString lead = kind == SetupKind::Installer
                             ? QStringLiteral("Bienvenue dans le programme d'installation de ")
                             : QStringLiteral("Bienvenue dans le programme de désinstallation de ");
    return lead + productName + QLatin1Char('!');
}

QPoint mainWindowPosition(int desktopWidth, int desktopHeight)
{
    // 512, not the window's 520: the main window sits 4 pixels right of centre.
    return QPoint((desktopWidth - 512) / 2, (desktopHeight - WindowHeight) / 2);
}

QPoint progressWindowPosition(int desktopWidth, int desktopHeight)
{
    return QPoint((desktopWidth - WindowWidth) / 2, (desktopHeight - WindowHeight) / 2);
}

bool CreateMainWindow(const MainWindowContent& content)
{
    SetupHandles& h = handles();
    h.kind = content.kind;
    const bool installer = content.kind == SetupKind::Installer;

    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect desktop = screen ? screen->geometry() : QRect();
    h.desktopWidth = quint16(desktop.width());
    h.desktopHeight = quint16(desktop.height());
    state().desktopOrigin = desktop.topLeft();
    h.FaceBrush = QBrush(QApplication::palette().color(QPalette::Button));

    if (!RegisterSetupClass(MainWndProc, MainClassName, QString(), h.FaceBrush))
        return false;

    const QPoint at = state().desktopOrigin + mainWindowPosition(h.desktopWidth, h.desktopHeight);
    SetupWindow* window = createWindow(WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, MainClassName,
                                       mainWindowTitle(content.kind),
                                       WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MAXIMIZEBOX, at.x(),
                                       at.y(), WindowWidth, WindowHeight, nullptr);
    window->setObjectName(QStringLiteral("mainWindow"));
    h.mainWindow = window;
    state().browse = content.browse;
    state().next = content.next;

    const QString welcome = welcomeText(content.kind, content.productName);
    const int W = window->width();
    auto make = [window](const char* name, const char* cls, const QString& text, quint32 style,
                         quint32 exStyle, int x, int y, int w, int hgt) {
        QWidget* control =
            CreateControl(QLatin1String(cls), text, style, exStyle, x, y, w, hgt, window);
        control->setObjectName(QLatin1String(name));
        return control;
    };

    h.welcomeBanner = as<QLabel>(make("welcomeBanner", "STATIC", welcome, WS_CHILD | SS_CENTER,
                                      WS_EX_STATICEDGE, -1, -1, W + 1, 49));
    QWidget* firstLabel = make("firstFolderLabel", "STATIC",
                               installer ? QStringLiteral("Répertoire source:")
                                         : QStringLiteral("Répertoire du programme:"),
                               WS_CHILD, 0, 8, 64, 150, 21);
    QWidget* secondLabel = nullptr;
    if (installer)
        secondLabel =
            make("secondFolderLabel", "STATIC", QStringLiteral("Répertoire d'installation:"),
                 WS_CHILD, 0, 8, 88, 150, 21);
    QWidget* note =
        make("note", "STATIC",
             installer ? QStringLiteral("Ce programme a une option de désinstallation!")
                       : QStringLiteral("Vous pouvez supprimer the programme installé sur votre "
                                        "ordinateur avec ce programme!"),
             WS_CHILD, 0, 8, 224, 503, 21);
    h.firstFolderField = as<QLineEdit>(
        make("firstFolderField", "EDIT", content.firstFolder, WS_CHILD | ES_AUTOHSCROLL,
             WS_EX_CLIENTEDGE | WS_EX_CONTROLPARENT, 160, 64, 347, 21));
    if (installer) {
        h.secondFolderField = as<QLineEdit>(
            make("secondFolderField", "EDIT", content.secondFolder, WS_CHILD | ES_AUTOHSCROLL,
                 WS_EX_CLIENTEDGE | WS_EX_CONTROLPARENT, 160, 88, 347, 21));
        h.browseButton = as<QPushButton>(make(
            "browseButton", "BUTTON", QStringLiteral("Choisissez un répertoire d'installation..."),
            WS_CHILD | WS_TABSTOP, 0, 160, 115, 199, 25));
    }
    make("lowerRule", "STATIC", QString(), WS_CHILD | SS_SIMPLE, WS_EX_STATICEDGE, 0, 279, W, 2);
    make("upperRule", "STATIC", QString(), WS_CHILD | SS_SIMPLE, WS_EX_STATICEDGE, 0, 49, W, 2);
    h.nextButton =
        as<QPushButton>(make("nextButton", "BUTTON", QStringLiteral("Suivant >"),
                             WS_CHILD | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, W - 194, 290, 89, 25));
    h.cancelButton = as<QPushButton>(make("cancelButton", "BUTTON", QStringLiteral("Annuler"),
                                          WS_CHILD | WS_TABSTOP, 0, W - 97, 290, 89, 25));

    h.TitleFont = makeFont(18, QFont::Bold);
    // A cell 8 pixels high is smaller than any size of the windows' face, so
    // the system gives its smallest, the 8-point one: 11 pixels at 96 dpi.
    // Condensed, as that face is narrower than DejaVu Sans: the browse
    // button's caption then fits its 199 pixels.
    h.BodyFont = makeFont(11, QFont::Normal);
    h.BodyFont.setStretch(QFont::Condensed);
    // Set, or the banner would take the window's condensed face.
    h.TitleFont.setStretch(QFont::Unstretched);
    for (QWidget* control :
         {static_cast<QWidget*>(h.welcomeBanner), firstLabel, secondLabel, note,
          static_cast<QWidget*>(h.firstFolderField), static_cast<QWidget*>(h.secondFolderField),
          static_cast<QWidget*>(h.browseButton), static_cast<QWidget*>(h.nextButton),
          static_cast<QWidget*>(h.cancelButton)}) {
        if (control)
            control->setFont(h.BodyFont);
    }
    window->setFont(h.BodyFont);
    h.welcomeBanner->setFont(h.TitleFont);
    return true;
}

int RunMainWindow()
{
    if (SetupWindow* window = handles().mainWindow)
        window->show();
    const int code = RunMessageLoop();
    ReleaseSetupWindows();
    return code;
}

int RunSetupProgram(const MainWindowContent& content)
{
    if (!CreateMainWindow(content)) {
        ReleaseSetupWindows();
        return 1;
    }
    return RunMainWindow();
}

void SetSecondFolderText(const QString& text)
{
    if (QLineEdit* field = handles().secondFolderField)
        field->setText(text);
}

bool CreateProgressWindow()
{
    SetupHandles& h = handles();
    const bool installer = h.kind == SetupKind::Installer;
    if (h.mainWindow)
        h.mainWindow->hide();
    if (!RegisterSetupClass(ProgressWndProc, ProgressClassName, QStringLiteral(""), h.FaceBrush))
        return false;

    const QPoint at =
        state().desktopOrigin + progressWindowPosition(h.desktopWidth, h.desktopHeight);
    SetupWindow* window =
        createWindow(0, ProgressClassName, mainWindowTitle(h.kind), WS_CAPTION | WS_SYSMENU, at.x(),
                     at.y(), WindowWidth, WindowHeight, h.mainWindow);
    window->setObjectName(QStringLiteral("progressWindow"));
    h.progressWindow = window;

    const int W = window->width();
    auto make = [window](const char* name, const char* cls, const QString& text, quint32 style,
                         quint32 exStyle, int x, int y, int w, int hgt) {
        QWidget* control =
            CreateControl(QLatin1String(cls), text, style, exStyle, x, y, w, hgt, window);
        control->setObjectName(QLatin1String(name));
        return control;
    };
    h.progressBanner = as<QLabel>(make("progressBanner", "STATIC",
                                       installer ? QStringLiteral("Installation en cours... "
                                                                  "veuillez patienter...")
                                                 : QStringLiteral("Désinstallation en cours... "
                                                                  "veuillez patienter..."),
                                       WS_CHILD | SS_CENTER, 0, -1, -1, W + 1, 49));
    h.progressText = as<QLabel>(
        make("progressText", "STATIC",
             installer ? QStringLiteral("") : QStringLiteral("Suppression du programme..."),
             WS_CHILD | SS_CENTER, WS_EX_CLIENTEDGE, 10, 70, W - 20, 200));
    make("lowerRule", "STATIC", QString(), WS_CHILD | SS_SIMPLE, WS_EX_STATICEDGE, 0, 279, W, 2);
    make("upperRule", "STATIC", QString(), WS_CHILD | SS_SIMPLE, WS_EX_STATICEDGE, 0, 49, W, 2);
    QWidget* next = make("nextButton", "BUTTON", QStringLiteral("Suivant >"),
                         WS_CHILD | WS_DISABLED, 0, W - 194, 290, 89, 25);
    QWidget* cancel = make("cancelButton", "BUTTON", QStringLiteral("Annuler"),
                           WS_CHILD | WS_DISABLED, 0, W - 97, 290, 89, 25);

    h.progressBanner->setFont(h.TitleFont);
    for (QWidget* control : {static_cast<QWidget*>(h.progressText), next, cancel})
        control->setFont(h.BodyFont);
    return true;
}

void ShowProgressWindow()
{
    SetupWindow* window = handles().progressWindow;
    if (!window)
        return;
    window->show();
    // The work that follows keeps the event loop waiting, and a window the
    // display has not exposed yet cannot paint. Wait for that, briefly, and
    // let no input through meanwhile.
    QElapsedTimer waited;
    waited.start();
    while (window->windowHandle() && !window->windowHandle()->isExposed() &&
           waited.elapsed() < 2000) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    }
}

void SetProgressText(const QString& text)
{
    QLabel* label = handles().progressText;
    if (!label)
        return;
    SetWindowText(label, text);
    // The work keeps the event loop waiting, so paint now or never.
    if (label->isVisible())
        label->repaint();
}

void FinishSetup(const QString& text, const QString& caption, int exitCode)
{
    SetupHandles& h = handles();
    platform::MessageRequest request;
    request.owner = h.progressWindow;
    request.text = text;
    request.caption = caption;
    request.icon = platform::MsgIcon::Information;
    request.buttons = platform::MsgButtons::Ok;
    request.taskModal = true;
    platform::showMessage(request);
    // The first exit code posted counts: this one, not the 0 that the
    // window's destruction posts.
    PostQuitMessage(exitCode);
    if (h.progressWindow)
        h.progressWindow->destroyWindow();
    UnregisterSetupClass(ProgressClassName);
}

void ReleaseSetupWindows()
{
    SetupHandles& h = handles();
    delete h.progressWindow.data();
    delete h.mainWindow.data();
    SetupSession& session = state();
    session.handles = SetupHandles();
    session.classes.clear();
    session.browse = nullptr;
    session.next = nullptr;
    session.quitPosted = false;
    session.exitCode = 0;
    session.desktopOrigin = QPoint();
}

} // namespace setupkit
