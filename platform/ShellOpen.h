#pragma once
// Hands a file or address to the desktop's opener. The outcome is not
// waited for and not reported.

#include <QString>

namespace platform {

void shellOpen(const QString& target);

} // namespace platform
