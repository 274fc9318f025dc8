#include "setupkit/SetupWindow.h"

#include "platform/MessageBox.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

namespace setupkit {

namespace {

const QString MainClassName = QStringLiteral("QuorvexClass");
const QString ProgressClassName = QStringLiteral("SetwellWndclass");

// Window sizes are outer sizes of a caption window with a fixed 3-pixel
// frame and a 19-pixel caption; Qt places and sizes the client area, so
// these turn them into client sizes.
constexpr int FrameBorder = 3;
constexpr int CaptionHeight = 19;
constexpr int WindowWidth = 520;
constexpr int WindowHeight = 360;

SetupSession& state()
{
    return SetupSession::current();
}

SetupWindow* ownerWindow(const QWidget* control)
{
    return control ? qobject_cast<SetupWindow*>(control->window()) : nullptr;
}

void notifyParent(QWidget* control, quint16 code)
{
    SetupWindow* window = ownerWindow(control);
    if (window && !window->isDestroyed())
        window->send({Message::Command, commandWParam(code), control});
}

// A static control: text on the background its parent's procedure chooses.
class StaticControl : public QLabel
{
public:
    explicit StaticControl(QWidget* parent) : QLabel(parent) {}

    void setWindowText(const QString& text)
    {
        m_text = text;
        // A CR, alone or before an LF, starts a new line: the installer's
        // progress text separates its parts with lone CRs.
        QString shown = text;
        shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        setText(shown);
    }
    QString windowText() const { return m_text; }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        SetupWindow* window = ownerWindow(this);
        QBrush background = palette().brush(QPalette::Button);
        if (window && !window->isDestroyed())
            background = window->send({Message::CtlColorStatic, 0, this}).brush;
        {
            QPainter painter(this);
            painter.fillRect(rect(), background);
        }
        QLabel::paintEvent(event);
    }

private:
    QString m_text;
};

class EditControl : public QLineEdit
{
public:
    explicit EditControl(QWidget* parent) : QLineEdit(parent) {}

protected:
    void focusInEvent(QFocusEvent* event) override
    {
        QLineEdit::focusInEvent(event);
        notifyParent(this, EN_SETFOCUS);
    }
    void focusOutEvent(QFocusEvent* event) override
    {
        QLineEdit::focusOutEvent(event);
        notifyParent(this, EN_KILLFOCUS);
    }
};

// A push button pressed by the mouse or the space bar only: Enter belongs to
// dialog-key processing, which these windows do not have.
class ButtonControl : public QPushButton
{
public:
    explicit ButtonControl(QWidget* parent) : QPushButton(parent) {}

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            event->ignore();
            return;
        }
        QPushButton::keyPressEvent(event);
    }
};

// Creates a top-level window of a registered class; the two windows of the
// programs are made only through here.
SetupWindow* createWindow(quint32 exStyle, const QString& className, const QString& title,
                          quint32 style, int x, int y, int w, int h, QWidget* owner)
{
    const auto found = state().classes.constFind(className);
    if (found == state().classes.constEnd())
        return nullptr;
    auto* window = new SetupWindow(className, found->proc, owner);
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint;
    if ((style & WS_CAPTION) == WS_CAPTION)
        flags |= Qt::WindowTitleHint;
    if (style & WS_SYSMENU)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (style & WS_MAXIMIZEBOX)
        flags |= Qt::WindowMaximizeButtonHint;
    window->setWindowFlags(flags);
    // The taskbar button of WS_EX_APPWINDOW is what every Qt top-level gets.
    Q_UNUSED(exStyle);
    window->setWindowTitle(title);
    window->setAutoFillBackground(true);
    QPalette palette = window->palette();
    palette.setBrush(QPalette::Window, found->background);
    window->setPalette(palette);
    const int caption = (style & WS_CAPTION) == WS_CAPTION ? CaptionHeight : 0;
    window->move(x, y);
    const QSize client(w - 2 * FrameBorder, h - 2 * FrameBorder - caption);
    // Without a maximise box the window keeps its size; with one the user
    // may enlarge it, and the controls stay where they are.
    if (style & WS_MAXIMIZEBOX)
        window->resize(client);
    else
        window->setFixedSize(client);
    return window;
}

QFont makeFont(int pixelHeight, QFont::Weight weight)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelHeight);
    font.setWeight(weight);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

template <typename T> T* as(QWidget* control)
{
    return static_cast<T*>(control);
}

} // namespace

// --- SetupWindow -----------------------------------------------------------

SetupWindow::SetupWindow(const QString& className, WindowProc proc, QWidget* owner)
    : QWidget(owner, Qt::Window), m_className(className), m_proc(proc)
{
}

SetupWindow::~SetupWindow() = default;

WindowResult SetupWindow::send(const WindowMessage& message)
{
    return m_proc ? m_proc(this, message) : DefWindowProc(this, message);
}

void SetupWindow::destroyWindow()
{
    if (m_destroyed)
        return;
    send({Message::Destroy, 0, nullptr});
    m_destroyed = true;
    hide();
    deleteLater();
}

void SetupWindow::closeEvent(QCloseEvent* event)
{
    // Whether and how the window goes is its procedure's business.
    event->ignore();
    if (!m_destroyed)
        send({Message::Close, 0, nullptr});
}

bool SetupWindow::focusNextPrevChild(bool)
{
    return false;
}

// --- Shared operations -------------------------------------------------------

SetupSession* SetupSession::s_current = nullptr;

SetupSession::SetupSession()
{
    Q_ASSERT(!s_current);
    s_current = this;
}

SetupSession::~SetupSession()
{
    ReleaseSetupWindows();
    s_current = nullptr;
}

SetupSession& SetupSession::current()
{
    if (!s_current)
        qFatal("setupkit: no SetupSession exists");
    return *s_current;
}

SetupHandles& handles()
{
    return state().handles;
}

bool RegisterSetupClass(WindowProc proc, const QString& className, const QString& menuName,
                        const QBrush& background)
{
    if (!proc || className.isEmpty() || state().classes.contains(className)) {
        platform::MessageRequest request;
        request.text = QStringLiteral("Can not Register Class");
        request.icon = platform::MsgIcon::Error;
        request.buttons = platform::MsgButtons::Ok;
        request.taskModal = true;
        platform::showMessage(request);
        PostQuitMessage(1);
        return false;
    }
    state().classes.insert(className, SetupSession::WindowClass{proc, menuName, background});
    return true;
}

void UnregisterSetupClass(const QString& className)
{
    state().classes.remove(className);
}

QWidget* CreateControl(const QString& className, const QString& text, quint32 style,
                       quint32 exStyle, int x, int y, int w, int h, QWidget* parent)
{
    QWidget* control = nullptr;
    const QString kind = className.toUpper();
    if (kind == QLatin1String("STATIC")) {
        auto* label = new StaticControl(parent);
        label->setTextFormat(Qt::PlainText);
        label->setIndent(0);
        label->setMargin(0);
        const quint32 type = style & 0x1F;
        if (type == SS_SIMPLE) {
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        } else {
            label->setWordWrap(true);
            label->setAlignment((type == SS_CENTER ? Qt::AlignHCenter : Qt::AlignLeft) |
                                Qt::AlignTop);
        }
        if (exStyle & WS_EX_CLIENTEDGE) {
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            label->setLineWidth(2);
        } else if (exStyle & WS_EX_STATICEDGE) {
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            label->setLineWidth(1);
        }
        label->setFocusPolicy(Qt::NoFocus);
        if (!text.isNull())
            label->setWindowText(text);
        control = label;
    } else if (kind == QLatin1String("EDIT")) {
        auto* edit = new EditControl(parent);
        edit->setFrame(exStyle & WS_EX_CLIENTEDGE);
        edit->setFocusPolicy(Qt::ClickFocus);
        if (!text.isNull())
            edit->setText(text);
        // Connected after the first text: creation itself notifies nothing.
        QObject::connect(edit, &QLineEdit::textChanged, edit, [edit] {
            notifyParent(edit, EN_UPDATE);
            notifyParent(edit, EN_CHANGE);
        });
        control = edit;
    } else if (kind == QLatin1String("BUTTON")) {
        auto* button = new ButtonControl(parent);
        button->setFocusPolicy(Qt::ClickFocus);
        button->setAutoDefault(false);
        button->setDefault(style & BS_DEFPUSHBUTTON);
        if (!text.isNull())
            button->setText(text);
        QObject::connect(button, &QPushButton::clicked, button,
                         [button] { notifyParent(button, BN_CLICKED); });
        control = button;
    } else {
        return nullptr;
    }
    if (style & WS_DISABLED)
        control->setEnabled(false);
    control->setGeometry(x, y, w, h);
    control->show();
    if (control->isVisible())
        control->repaint();
    return control;
}

int RunMessageLoop()
{
    // Quitting is the procedures' decision, not Qt's last-window rule.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    if (state().quitPosted)
        return state().exitCode;
    return QApplication::exec();
}

void PostQuitMessage(int exitCode)
{
    if (!state().quitPosted)
        state().exitCode = exitCode;
    state().quitPosted = true;
    QCoreApplication::exit(state().exitCode);
}

bool quitPosted()
{
    return state().quitPosted;
}

void ConfirmQuit()
{
    platform::MessageRequest request;
    request.owner = handles().mainWindow;
    request.text = QStringLiteral("Voulez-vous vraiment quitter le programme?");
    request.caption = QStringLiteral("Quitter le programme");
    request.icon = platform::MsgIcon::Question;
    request.buttons = platform::MsgButtons::YesNo;
    if (platform::showMessage(request) == platform::MsgAnswer::Yes)
        PostQuitMessage(0);
}

void ShowLogRefused(const QString& text, const QString& caption)
{
    platform::MessageRequest request;
    request.text = text;
    request.caption = caption;
    request.icon = platform::MsgIcon::Information;
    platform::showMessage(request);
}

WindowResult DefWindowProc(SetupWindow* window, const WindowMessage& message)
{
    WindowResult result;
    switch (message.message) {
    case Message::Close:
        window->destroyWindow();
        break;
    case Message::CtlColorStatic:
        result.brush = handles().FaceBrush.style() == Qt::NoBrush
                           ? window->palette().brush(QPalette::Window)
                           : handles().FaceBrush;
        break;
    case Message::Destroy:
    case Message::Command:
        break;
    }
    return result;
}

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

QString GetWindowText(const QWidget* control)
{
    if (const auto* label = dynamic_cast<const StaticControl*>(control))
        return label->windowText();
    if (const auto* edit = qobject_cast<const QLineEdit*>(control))
        return edit->text();
    if (const auto* button = qobject_cast<const QPushButton*>(control))
        return button->text();
    return control ? control->windowTitle() : QString();
}

// --- The two windows -----------------------------------------------------------

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
    static_cast<StaticControl*>(label)->setWindowText(text);
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
