#include "setupkit/SetupProgress.h"

#include "platform/MessageBox.h"
#include "setupkit/SetupWindow.h"

#include <QGuiApplication>

namespace setupkit {

void SetupProgress::reportFailure(SetupFailure failure, const QString& text)
{
    platform::MessageRequest request;
    request.text = text;
    request.icon = platform::MsgIcon::Information;
    request.taskModal = true;
    switch (failure) {
    case SetupFailure::CopyFailed:
    case SetupFailure::TemporaryLeft:
    case SetupFailure::MenuFolderOutside:
        // Like the copy failure: no owner, the default caption.
        break;
    case SetupFailure::MenuFolderMissing:
        request.owner = progressWindow();
        request.caption = QStringLiteral("Menu Démarrer");
        request.icon = platform::MsgIcon::Warning;
        break;
    case SetupFailure::NotRegistered:
        request.owner = progressWindow();
        request.icon = platform::MsgIcon::Warning;
        break;
    }
    platform::showMessage(request);
}

void SetupProgress::finish(const QString& text, const QString& caption, int exitCode)
{
    (void)exitCode;
    platform::MessageRequest request;
    request.owner = progressWindow();
    request.text = text;
    request.caption = caption;
    request.icon = platform::MsgIcon::Information;
    request.taskModal = true;
    platform::showMessage(request);
}

void WindowProgress::showProgressWindow()
{
    ShowProgressWindow();
}

void WindowProgress::setProgressText(const QString& text)
{
    SetProgressText(text);
}

void WindowProgress::setWaitCursor(bool wait)
{
    if (wait)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

QWidget* WindowProgress::progressWindow() const
{
    return handles().progressWindow;
}

void WindowProgress::finish(const QString& text, const QString& caption, int exitCode)
{
    FinishSetup(text, caption, exitCode);
}

} // namespace setupkit
