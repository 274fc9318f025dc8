#pragma once
// Modal message boxes with fixed texts. Every box in the programs goes
// through showMessage(), so a test can answer it without a window.

#include <QString>
#include <functional>

class QWidget;

namespace platform {

enum class MsgIcon { None, Information, Question, Warning, Error };
enum class MsgButtons { Ok, OkCancel, YesNo };
enum class MsgAnswer { Ok, Cancel, Yes, No };

struct MessageRequest
{
    QWidget* owner = nullptr;
    QString text;
    QString caption; // empty: the application's title stands in, as the system's default title
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
    bool taskModal = false;
};

// Shows the box (or asks the installed handler) and returns the answer.
// Closing the box without a button counts as Cancel or No.
MsgAnswer showMessage(const MessageRequest& request);

// The application's title: the caption of boxes that bring none. Qt's own
// display name would do, but the platform then appends it to the title of
// every window, and each window's caption must read exactly as it is set.
void setApplicationTitle(const QString& title);
QString applicationTitle(); // the application's name until a title is set

// A handler replaces the real box until it is reset with an empty function.
using MessageHandler = std::function<MsgAnswer(const MessageRequest&)>;
void setMessageHandler(MessageHandler handler);

} // namespace platform
