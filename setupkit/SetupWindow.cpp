#include "setupkit/SetupWindow.h"

#include "platform/MessageBox.h"
#include "setupkit/SetupWindowShared.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace setupkit {

namespace {

// Window sizes are outer sizes of a caption window with a fixed 3-pixel
// frame and a 19-pixel caption; Qt places and sizes the client area, so
// these turn them into client sizes.
constexpr int FrameBorder = 3;
constexpr int CaptionHeight = 19;

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

} // namespace

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

void SetWindowText(QWidget* control, const QString& text)
{
    if (auto* label = dynamic_cast<StaticControl*>(control))
        label->setWindowText(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setText(text);
    else if (auto* button = qobject_cast<QPushButton*>(control))
        button->setText(text);
    else if (control)
        control->setWindowTitle(text);
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

} // namespace setupkit
