#include "mainwin/ConversionGuard.h"

#include "convert/GsDll.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace mainwin {

ConversionGuard::ConversionGuard(QWidget* window, QWidget* startPicture)
    : m_window(window), m_startPicture(startPicture)
{
    qApp->installEventFilter(this);
}

ConversionGuard::~ConversionGuard()
{
    qApp->removeEventFilter(this);
}

void ConversionGuard::askToStop()
{
    if (m_asking)
        return;
    m_asking = true;
    platform::MessageRequest question;
    question.owner = m_window;
    question.text = QStringLiteral("Arrêter la conversion en cours?");
    question.icon = platform::MsgIcon::Question;
    question.buttons = platform::MsgButtons::OkCancel;
    if (platform::showMessage(question) == platform::MsgAnswer::Ok)
        convert::gsdll_stop();
    m_asking = false;
}

bool ConversionGuard::inWindow(QObject* watched) const
{
    if (auto* widget = qobject_cast<QWidget*>(watched))
        return widget->window() == m_window;
    if (auto* window = qobject_cast<QWindow*>(watched))
        return m_window->windowHandle() == window;
    return false;
}

bool ConversionGuard::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        if (!inWindow(watched))
            return false;
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            askToStop();
        return true;
    case QEvent::MouseButtonPress:
        if (!inWindow(watched))
            return false;
        if (watched == m_startPicture)
            askToStop();
        return true;
    case QEvent::Close:
        // Other windows close as usual; ours is asked through closeEvent.
        return false;
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::InputMethod:
        return inWindow(watched);
    default:
        return false;
    }
}

} // namespace mainwin
