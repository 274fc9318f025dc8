#pragma once
// The built-in text of the page "Aide": how to get a PostScript file out of
// any program, by printing to a PostScript printer whose output goes to a
// file.

#include <QStringList>

class QTextEdit;

namespace mainwin {

// The 66 stored lines, each shown as a line of its own.
QStringList helpTextLines();

// Gives the help box its font (Arial, bold, 15 pixels), wrapping at its
// width, a vertical scroll bar, and the built-in text.
void fillHelpBox(QTextEdit* richEdit);

} // namespace mainwin
