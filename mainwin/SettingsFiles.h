#pragma once
// The two settings files beside the program: folders.dat (the preferred
// folders, one per line) and options.dat (the page size in millimetres).
// Both are rewritten whole: a save either replaces the file completely or
// leaves its former content, never a half-written file.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace settings {

QString foldersFileName(const QString& programFolder); // programFolder + "folders.dat"
QString optionsFileName(const QString& programFolder); // programFolder + "options.dat"

// Lines end at CR; an LF right after it belongs to the line end, a lone LF
// stays in the entry. Ctrl-Z (byte 26) ends the file; the last line needs
// no line end. Entries are taken unchanged, empty ones included.
QStringList parseFolderLines(const QByteArray& bytes);
// Every entry followed by CR LF; an empty list gives no bytes.
QByteArray formatFolderLines(const QStringList& folders);

// std::nullopt when folders.dat cannot be opened.
std::optional<QStringList> loadPrefFolders(const QString& programFolder);
bool savePrefFolders(const QString& programFolder, const QStringList& folders);

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

// std::nullopt when options.dat cannot be opened.
std::optional<StoredPageSize> loadPageSize(const QString& programFolder);
bool savePageSize(const QString& programFolder, double widthMm, double heightMm);

// Writes `bytes` beside `fileName` and renames it into place. A file that
// exists but may not be written is left alone, as a plain overwrite would.
bool replaceFile(const QString& fileName, const QByteArray& bytes);

} // namespace settings
