#pragma once
// The system's folder picker.

#include <QString>

class QWidget;

namespace platform {

// Asks for an existing folder; returns its path, or empty when cancelled.
QString browseForFolder(QWidget* owner, const QString& title);

} // namespace platform
