#pragma once
// The programs speak French: Qt's own texts (message box and dialog
// buttons, file list columns, sizes) follow them when Qt's French
// translations are installed.

class QObject;

namespace platform {

// Installs Qt's French translations into the application, when present.
void installQtTranslations(QObject* owner);

} // namespace platform
