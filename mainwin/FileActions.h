#pragma once
// The file commands of the file list: copy, cut and paste through the
// clipboard, moving to the desktop's trash. No widgets here; the list
// asks and reports.

#include <QString>
#include <QStringList>

class QMimeData;

namespace mainwin {

struct Clip
{
    QStringList paths;
    bool cut = false;
};

// Clipboard data other file managers understand: a URI list, plus the
// marker desktop file managers use to tell a cut from a copy.
QMimeData* makeClipData(const Clip& clip);
Clip readClipData(const QMimeData* data);

// A name for `fileName` that is still free in `folder`: the name itself,
// else "stem (copie).ext", "stem (copie 2).ext", ...
QString freeName(const QString& folder, const QString& fileName);

// Copies or moves every path into `folder`; a name already taken there gets
// a free one instead, so nothing is overwritten. What arrives is what left:
// links with the same text, files and folders with their modes and times.
// A file appears under its name only once it is whole, and a move drops
// its source only once the copy is on disk. A folder is never put into
// itself or below itself. Returns the paths that could not be handled.
QStringList paste(const Clip& clip, const QString& folder);

struct TrashOutcome
{
    QStringList noTrash; // no trash could take them; they stay where they are
    QStringList failed;  // the trash was there but they could not be moved
};

// Moves every path to the desktop's trash and tells which stayed.
TrashOutcome moveToTrash(const QStringList& paths);

} // namespace mainwin
