#pragma once
// What picking a source does to the names and lists, without any widget.

#include <QByteArrayList>
#include <QString>
#include <QStringList>

namespace source {

// The output name proposed for a source: its extension (from the last '.'
// that follows every '/', a lone trailing '.' included) replaced by ".PDF";
// a name without extension just gets ".PDF" appended.
QString outputNameFor(const QString& fileName);

// `folder` with a '/' appended unless it already ends with one.
QString withTrailingSlash(const QString& folder);

// Moves `folder` to the top of the preferred folders: the last entry equal
// to it byte for byte goes, and it is inserted at index 0. No upper bound.
void moveToTop(QByteArrayList& folders, const QByteArray& folder);

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

} // namespace source
