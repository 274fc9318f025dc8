#include "platform/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {

namespace {
// Process-wide as the boxes are: every box of the program goes through
// showMessage(), whichever object asks for it.
MessageHandler& handlerSlot()
{
    static MessageHandler handler;
    return handler;
}

// One title for the program, as its name is.
QString& titleSlot()
{
    static QString title;
    return title;
}

QMessageBox::Icon toQtIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Warning:
        return QMessageBox::Warning;
    case MsgIcon::Error:
        return QMessageBox::Critical;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}
} // namespace

void setApplicationTitle(const QString& title)
{
    titleSlot() = title;
}

QString applicationTitle()
{
    return titleSlot().isEmpty() ? QCoreApplication::applicationName() : titleSlot();
}

void setMessageHandler(MessageHandler handler)
{
    handlerSlot() = std::move(handler);
}

MsgAnswer showMessage(const MessageRequest& request)
{
    if (handlerSlot())
        return handlerSlot()(request);

    QMessageBox box(request.owner);
    box.setIcon(toQtIcon(request.icon));
    box.setText(request.text);
    box.setWindowTitle(request.caption.isEmpty() ? applicationTitle() : request.caption);
    if (request.taskModal)
        box.setWindowModality(Qt::ApplicationModal);
    switch (request.buttons) {
    case MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        break;
    case MsgButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return MsgAnswer::Ok;
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    default:
        return request.buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Cancel;
    }
}

} // namespace platform
