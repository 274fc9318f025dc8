#pragma once
// Menu entries as freedesktop desktop entries.

#include <QString>

namespace platform {

struct ShortcutEntry
{
    QString linkFile;      // full path of the entry, ending in ".desktop"
    QString name;          // shown in menus; empty: the file's base name
    QString description;   // Comment, when not empty
    QString target;        // program or document the entry starts
    QString arguments;     // appended to a program's command line as given
    QString workingFolder; // Path, when not empty
    QString iconFile;      // Icon, when not empty: a full path or an icon theme's name
                           // (desktop entries have no icon index)
    QString categories;    // Categories, when not empty: menu categories, each ending in ';'
};

// Writes the entry: a program (an executable target) is run directly,
// anything else is opened with xdg-open. The entry is written whole and
// takes the place of whatever file or link stands at its name, never
// writing through a link. Returns false when the file could not be written,
// with the reason in `error` when given.
bool writeShortcut(const ShortcutEntry& shortcut, QString* error = nullptr);

// The entry file named `name` in `folder` (which ends in '/'): "NAME.desktop".
// Empty when the name cannot be a file name (empty, "." or "..", a '/').
QString shortcutPath(const QString& folder, const QString& name);

// One argument quoted as the Exec key wants it, before the key's own escapes.
QString quoteExecArgument(const QString& argument);

} // namespace platform
