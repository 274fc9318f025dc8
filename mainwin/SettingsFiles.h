#pragma once
// The two settings files: folders.dat (the preferred folders, one per line)
// and options.dat (the page size in millimetres). They lie beside the
// program; where its folder cannot be written, and always for an installed
// copy (platform::isInstalledCopy), they go to the user's own configuration
// folder instead. Both are rewritten whole: a save either
// replaces the file completely or leaves its former content, never a
// half-written file.

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <optional>

namespace mainwin {

// The user's folder for the settings: <config home>/folivant/. Empty when
// no home folder is known.
QString userSettingsFolder();

// Lines end at CR; an LF right after it belongs to the line end, a lone LF
// stays in the entry. Ctrl-Z (byte 26) ends the file; the last line needs
// no line end. Entries are the lines' bytes unchanged, empty ones included:
// what is not rewritten is saved back byte for byte, in whatever encoding
// it came.
QByteArrayList parseFolderLines(const QByteArray& bytes);
// Every entry followed by CR LF; an empty list gives no bytes.
QByteArray formatFolderLines(const QByteArrayList& folders);

// A line as a folder name: UTF-8 (the file system's encoding) when it is
// valid, else Windows-1252, as the file was written on other systems.
QString folderText(const QByteArray& line);
// A folder name as a line, in the file system's encoding.
QByteArray folderLine(const QString& folder);

// Loading takes the user's copy of a file when the program's folder cannot
// be written and that copy exists, else the one beside the program (which
// an administrator may ship); std::nullopt when neither can be opened.
// Saving writes beside the program, or to the user's folder (made readable
// by the user only) when the program's folder cannot be written. An
// installed copy reads and writes the user's folder only.
std::optional<QByteArrayList> loadPrefFolders(const QString& programFolder);
bool savePrefFolders(const QString& programFolder, const QByteArrayList& folders);

struct StoredPageSize
{
    // A value is present only when all of its 8 bytes were in the file, so
    // a short file yields a complete first value at most. A NaN counts as
    // absent.
    std::optional<double> widthMm;
    std::optional<double> heightMm;
};

// Two little-endian binary64 values; bytes after the first 16 are ignored.
StoredPageSize parsePageSize(const QByteArray& bytes);
QByteArray formatPageSize(double widthMm, double heightMm);

std::optional<StoredPageSize> loadPageSize(const QString& programFolder);
bool savePageSize(const QString& programFolder, double widthMm, double heightMm);

} // namespace mainwin
