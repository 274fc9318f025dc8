#pragma once
// The windows both setup programs show: a one-page wizard (the main window)
// and, once the work starts, a progress window in its place. Both are built
// from code at fixed pixel places; every control has identifier 0, so
// commands are told apart by the control's handle (its QWidget pointer).
//
// A program uses it like this:
//
//     setupkit::SetupSession session;   // for as long as windows show
//     setupkit::MainWindowContent content;
//     content.kind = setupkit::SetupKind::Installer;
//     content.productName = setupkit::fromWindows1252(log.ProductName);
//     content.firstFolder = sourceFolder;
//     content.secondFolder = proposedFolder;
//     content.browse = [] { ... setupkit::SetSecondFolderText(picked); };
//     content.next = [] { RunInstallation(); };
//     return setupkit::RunSetupProgram(content);
//
// and inside `next`:
//
//     if (!setupkit::CreateProgressWindow())
//         return;                       // already ending, nothing to do
//     QString target = setupkit::handles().secondFolderField->text();
//     ...
//     setupkit::ShowProgressWindow();
//     setupkit::SetProgressText("Copier ...");   // painted at once
//     ...
//     setupkit::FinishSetup("L'installation est terminée!", "Installation terminée");
//
// Everything runs on the one GUI thread; the work runs synchronously inside
// `next` and no events are processed while it runs (ShowProgressWindow waits
// only until the display has exposed the window, with input held back).
//
// Controls carry object names for findChild(): main window "mainWindow" with
// "welcomeBanner", "firstFolderLabel", "secondFolderLabel", "note",
// "firstFolderField", "secondFolderField", "browseButton", "lowerRule",
// "upperRule", "nextButton", "cancelButton"; progress window
// "progressWindow" with "progressBanner", "progressText", "lowerRule",
// "upperRule", "nextButton", "cancelButton". The windows take the
// application's window icon (QApplication::setWindowIcon).

#include <QBrush>
#include <QFont>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPoint>
#include <QPointer>
#include <QPushButton>
#include <QSize>
#include <QString>
#include <QWidget>

#include <functional>

namespace setupkit {

enum class SetupKind { Installer, Uninstaller };

// Window and control styles, with their classic values: a control is
// described by one style word, and CreateControl reads the bits it knows.
constexpr quint32 WS_POPUP = 0x80000000;
constexpr quint32 WS_CHILD = 0x40000000;
constexpr quint32 WS_DISABLED = 0x08000000;
constexpr quint32 WS_CAPTION = 0x00C00000;
constexpr quint32 WS_SYSMENU = 0x00080000;
constexpr quint32 WS_TABSTOP = 0x00010000;
constexpr quint32 WS_MAXIMIZEBOX = 0x00010000; // top-level windows only
constexpr quint32 SS_CENTER = 0x00000001;
constexpr quint32 SS_SIMPLE = 0x0000000B;
constexpr quint32 ES_AUTOHSCROLL = 0x00000080;
constexpr quint32 BS_DEFPUSHBUTTON = 0x00000001;
constexpr quint32 WS_EX_CLIENTEDGE = 0x00000200;
constexpr quint32 WS_EX_CONTROLPARENT = 0x00010000;
constexpr quint32 WS_EX_APPWINDOW = 0x00040000;
constexpr quint32 WS_EX_STATICEDGE = 0x00020000;

// Command notifications: the whole WParam is (code << 16) | identifier, and
// the identifier is always 0. A button click is therefore WParam 0.
constexpr quint16 BN_CLICKED = 0x0000;
constexpr quint16 EN_SETFOCUS = 0x0100;
constexpr quint16 EN_KILLFOCUS = 0x0200;
constexpr quint16 EN_CHANGE = 0x0300;
constexpr quint16 EN_UPDATE = 0x0400;
constexpr quintptr commandWParam(quint16 code)
{
    return quintptr(code) << 16;
}

// The messages a window procedure sees.
enum class Message {
    Close,          // close box, system menu or Alt+F4; the default destroys the window
    Destroy,        // the window is going away
    CtlColorStatic, // a static control (lParam) is about to paint: which background?
    Command,        // a control (lParam) notifies its parent; see commandWParam
};

struct WindowMessage
{
    Message message = Message::Command;
    quintptr wParam = 0;
    QWidget* lParam = nullptr; // the control concerned, when there is one
};

// A procedure's answer. For CtlColorStatic `brush` is the control's
// background; the text is always drawn transparently over it.
struct WindowResult
{
    qintptr value = 0;
    QBrush brush;
};

class SetupWindow;
using WindowProc = WindowResult (*)(SetupWindow* window, const WindowMessage& message);

// A top-level window whose events go through its class's window procedure.
// It does no dialog-key processing: Tab never moves the focus and Enter never
// presses the default button.
class SetupWindow : public QWidget
{
    Q_OBJECT

public:
    SetupWindow(const QString& className, WindowProc proc, QWidget* owner);
    ~SetupWindow() override;

    QString className() const { return m_className; }
    WindowResult send(const WindowMessage& message);
    // Destroys the window: Destroy reaches the procedure, then the widget is
    // hidden and deleted once control returns to the event loop.
    void destroyWindow();
    bool isDestroyed() const { return m_destroyed; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    QString m_className;
    WindowProc m_proc;
    bool m_destroyed = false;
};

// The handles and drawing objects of one session. Handles are null until
// their window exists and again after it is gone.
struct SetupHandles
{
    SetupKind kind = SetupKind::Installer;
    QPointer<SetupWindow> mainWindow;
    QPointer<SetupWindow> progressWindow;
    QPointer<QLabel> welcomeBanner;
    QPointer<QLabel> progressBanner;
    QPointer<QLabel> progressText;
    QPointer<QPushButton> nextButton;   // of the main window
    QPointer<QPushButton> cancelButton; // of the main window
    QPointer<QPushButton> browseButton; // installer only
    QPointer<QLineEdit> firstFolderField;
    QPointer<QLineEdit> secondFolderField; // installer only
    QBrush FaceBrush;
    QFont TitleFont;
    QFont BodyFont;
    quint16 desktopWidth = 0;
    quint16 desktopHeight = 0;
};

// Everything the framework keeps between calls: registered window classes,
// handles and drawing objects, the buttons' actions and the quit message.
// A program owns one for as long as it shows windows; the functions below
// act on the one that exists, since window procedures are plain functions
// that cannot be handed it. There is at most one at a time. Destroying it
// releases its windows.
class SetupSession
{
public:
    SetupSession();
    ~SetupSession();
    SetupSession(const SetupSession&) = delete;
    SetupSession& operator=(const SetupSession&) = delete;

    // The session that exists; the framework's functions need one.
    static SetupSession& current();

    struct WindowClass
    {
        WindowProc proc = nullptr;
        QString menuName;
        QBrush background;
    };

    SetupHandles handles;
    QHash<QString, WindowClass> classes;
    std::function<void()> browse;
    std::function<void()> next;
    bool quitPosted = false;
    int exitCode = 0;
    // Window positions are computed for a desktop whose top-left corner is
    // 0, 0; the primary screen may start anywhere in the virtual desktop.
    QPoint desktopOrigin;

private:
    // The one process-wide pointer of the framework: a window procedure has
    // the design's signature (window, message) and no room for the session.
    static SetupSession* s_current;
};

// The current session's handles.
SetupHandles& handles();

// What a program puts into its main window and what its buttons do.
struct MainWindowContent
{
    SetupKind kind = SetupKind::Installer;
    QString productName;          // decoded; the welcome line ends with it and "!"
    QString firstFolder;          // installer: source folder; uninstaller: installation folder
    QString secondFolder;         // installer: the proposed installation folder
    std::function<void()> browse; // installer: the folder dialog
    std::function<void()> next;   // the work (the uninstaller asks its question first)
};

// --- The shared operations ---------------------------------------------

// Registers a window class. When the name is taken: the box "Can not
// Register Class" (no owner, task-modal, error icon), the quit message is
// posted and false is returned; the caller then returns at once so that the
// program ends.
bool RegisterSetupClass(WindowProc proc, const QString& className, const QString& menuName,
                        const QBrush& background);
void UnregisterSetupClass(const QString& className);

// Creates a control of class "STATIC", "EDIT" or "BUTTON" at client place
// (x, y) and size (w, h) of `parent`, and shows it. A null text makes a
// control without text. Returns the control's handle.
QWidget* CreateControl(const QString& className, const QString& text, quint32 style,
                       quint32 exStyle, int x, int y, int w, int h, QWidget* parent);

// Runs the event loop until the quit message; returns its exit code.
int RunMessageLoop();
// Queues the quit message: RunMessageLoop returns with `exitCode` once the
// current handler is done (at once if the loop is not running yet).
void PostQuitMessage(int exitCode);
bool quitPosted();

// "Voulez-vous vraiment quitter le programme?" owned by the main window;
// Yes posts the quit message with exit code 0, No changes nothing.
void ConfirmQuit();

// The box that ends either program when its Install.log is refused: no
// owner, since no window exists yet.
void ShowLogRefused(const QString& text, const QString& caption);

WindowResult MainWndProc(SetupWindow* window, const WindowMessage& message);
WindowResult ProgressWndProc(SetupWindow* window, const WindowMessage& message);
WindowResult DefWindowProc(SetupWindow* window, const WindowMessage& message);

// A control's window text as set, line breaks included (a static control
// shows a lone CR as a line break).
QString GetWindowText(const QWidget* control);
void SetWindowText(QWidget* control, const QString& text);

// --- The two windows -----------------------------------------------------

// Measures the desktop, makes FaceBrush, registers the main window's class
// and builds the main window with its controls for `content.kind` and its
// fonts. The window is not shown yet. False when the class could not be
// registered.
bool CreateMainWindow(const MainWindowContent& content);
// Shows the main window, runs the loop, then releases windows and drawing
// objects; returns the exit code.
int RunMainWindow();
// Both of the above.
int RunSetupProgram(const MainWindowContent& content);

// The installer's folder dialog sets the second field with this.
void SetSecondFolderText(const QString& text);

// Hides the main window and builds the progress window with its controls
// and fonts, not yet shown. False when its class could not be registered
// (the program is then ending).
bool CreateProgressWindow();
// Shows the progress window and returns once it can paint.
void ShowProgressWindow();
// Replaces the progress text and paints it before returning.
void SetProgressText(const QString& text);
// Ends the work: the final box (`text`, `caption`, information icon, task-modal)
// owned by the progress window, then the progress window is destroyed, its
// class unregistered and the quit message posted with `exitCode`.
void FinishSetup(const QString& text, const QString& caption, int exitCode = 0);

// Deletes both windows, unregisters both classes and forgets handles and
// drawing objects, as the program does when its loop has ended. The
// session stays, empty.
void ReleaseSetupWindows();

// Texts of the two programs, for tests and callers that need them.
QString mainWindowTitle(SetupKind kind);
QString welcomeText(SetupKind kind, const QString& productName);

// Where the windows go on a desktop of the given size: centred, with the
// division truncated, so an odd leftover pixel goes right and down.
QPoint mainWindowPosition(int desktopWidth, int desktopHeight);
QPoint progressWindowPosition(int desktopWidth, int desktopHeight);

} // namespace setupkit
