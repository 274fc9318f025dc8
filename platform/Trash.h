#pragma once
// The desktop's trash in the freedesktop.org layout (files/ and info/ with
// a .trashinfo per entry), so that the desktop's own trash view lists and
// restores what we put there.

#include <QString>

namespace platform {

enum class TrashResult {
    Moved,
    // No trash can take the entry: nothing was moved and nothing was made
    // outside the trash folders themselves.
    NoTrash,
    // A trash was found, but the entry could not be moved into it.
    Failed,
};

// Moves a file, folder or link (the link itself) into the trash of its file
// system. That is the home trash, <data home>/Trash, made together with a
// missing data home when it is on the same file system. Otherwise it is the
// trash at the top of the entry's file system: .Trash/<uid> when the
// administrator made a sticky .Trash there, else .Trash-<uid>, made when
// missing.
// Unless it is Moved, `error` (when given) says what failed and why.
TrashResult moveToTrash(const QString& path, QString* error = nullptr);

} // namespace platform
