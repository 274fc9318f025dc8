#pragma once
// What both setup programs do before their first window or box: Setwell's
// icon on every window, and Qt's French texts on the boxes' buttons (Oui,
// Non, OK), as in Folivant.

#include <QIcon>

class QApplication;

namespace setupkit {

// Setwell's icon in the usual sizes; empty when its picture is missing.
QIcon setupIcon();

void prepareSetupApplication(QApplication& app);

} // namespace setupkit
