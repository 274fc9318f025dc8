#pragma once
// What the folder browser's model and views share to report a failure: an
// error box with an OK button, and names set between French quotes.

#include "platform/MessageBox.h"

#include <QString>

namespace mainwin {

inline QString quotedName(const QString& name)
{
    return QStringLiteral("« %1 »").arg(name);
}

inline void showBrowserError(QWidget* owner, const QString& text, platform::MsgIcon icon)
{
    platform::MessageRequest request;
    request.owner = owner;
    request.text = text;
    request.icon = icon;
    request.buttons = platform::MsgButtons::Ok;
    platform::showMessage(request);
}

} // namespace mainwin
