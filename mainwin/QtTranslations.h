#pragma once
// The window speaks French: Qt's own texts (file list columns, dialog
// buttons, sizes) follow it when Qt's French translations are installed.

class QObject;

// Installs Qt's French translations into the application, when present.
void installQtTranslations(QObject* owner);
