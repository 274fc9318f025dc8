#pragma once
// The folder that the tree shows when the window starts. A copy in a folder
// of its own (Setwell's distribution, the build) opens at that folder. An
// installed copy's folder holds only programs: it opens where it was
// started, as a terminal or a file manager starts it, and the home folder
// (where menus start programs) opens on ~/PostScript/, where the print
// queue puts its jobs, when that folder exists.

#include <QString>

namespace mainwin {

struct StartPlaces
{
    QString programFolder;
    bool installedCopy = false;
    // The current folder at start; empty when it has gone.
    QString currentFolder;
    QString homeFolder;
};

// The places of this process.
StartPlaces startPlaces();

// For an installed copy: the current folder, or the home folder when the
// current one is the program's own or cannot be listed; the home folder's
// PostScript/ when that can be listed; "/" when nothing else can.
QString startFolder(const StartPlaces& places);

// Where a name without a folder, typed for a source or the PDF, is taken
// to lie: the program's folder, where the design runs conversions, or for
// an installed copy, which must never write there, the folder the window
// started in.
QString relativeNamesFolder(const StartPlaces& places);

} // namespace mainwin
