#pragma once
// What picking a source does to the names and lists, without any widget.

#include <QByteArrayList>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

namespace mainwin {

// The output name proposed for a source: its extension (from the last '.'
// that follows every '/', a lone trailing '.' included) replaced by ".PDF";
// a name without extension just gets ".PDF" appended.
QString outputNameFor(const QString& fileName);

// Moves `folder` to the top of the preferred folders: the last entry equal
// to it byte for byte goes, and it is inserted at index 0. No upper bound.
void moveToTop(QByteArrayList& folders, const QByteArray& folder);

// Names given to the program when it starts ("Open with"), made absolute
// against `workingFolder`; "file:" addresses stand for their local paths.
// What names no file (missing, a folder) is kept apart, in order.
struct NamedFiles
{
    QStringList files;
    QStringList missing;
};
NamedFiles namedFiles(const QStringList& names, const QString& workingFolder);

// The local files among dragged addresses, in the order of the drag;
// folders and anything else are left out.
QStringList droppedFiles(const QList<QUrl>& urls);

// The file-type filter: entry texts and the masks they give the file list.
struct FilterEntry
{
    QString text;
    QString mask;
};
QList<FilterEntry> filterEntries(); // from fileFilterDescription()
QString fileFilterDescription();    // "text|mask|text|mask"
// "*.ps;*.prn" -> {"*.ps", "*.prn"}; "*.*" stands for every file and gives "*".
QStringList splitMask(const QString& mask);

} // namespace mainwin
