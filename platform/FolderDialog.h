#pragma once
// The system's dialog that asks for an existing folder.

#include <QString>

class QWidget;

namespace platform {

// Asks for an existing folder; returns its path, or empty when cancelled.
QString browseForFolder(QWidget* owner, const QString& title);

} // namespace platform
