#include "setupkit/SetupProgress.h"

#include "platform/MessageBox.h"
#include "setupkit/SetupWindow.h"

#include <QGuiApplication>

namespace setupkit {

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
