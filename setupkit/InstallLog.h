#pragma once
// Install.log: what one product's installation consists of. Read by both
// setup programs before they open a window.

#include <QByteArray>
#include <QString>

#include <array>

class QIODevice;

namespace setupkit {

constexpr int MaxEntries = 200;
constexpr int MaxEntryText = 99;
// What the windows can show: the product name in the welcome line, the
// folder name in the proposed installation folder.
constexpr int MaxShownText = 255;
// The group and extra file names are joined to folders; a longer text
// makes a path longer than the system takes, so it names nothing either way.
constexpr int MaxPathText = 4096;

// Texts are kept as the file's Windows-1252 bytes so that markers compare
// byte for byte; the accessors decode them for windows and paths.
struct InstallEntry
{
    QByteArray FileName; // relative path, '\' separated, at most 99 bytes
    QByteArray Tag;      // "DEINST!", "NEIN!", "EXEC!" or a shortcut name
};

struct InstallLog
{
    QByteArray ProductName;   // at most MaxShownText bytes
    QByteArray FolderName;    // after removal of a leading "C:\PROGRAMME\", at most MaxShownText
    QByteArray GroupName;     // at most MaxPathText bytes
    QByteArray ExtraFileName; // at most MaxPathText bytes
    quint16 EntryCount = 0;
    std::array<InstallEntry, MaxEntries> Entries; // Entries[0] is entry 1

    const InstallEntry& entry(int number) const { return Entries[size_t(number - 1)]; }
};

// Reads folder + "Install.log" (folder ends with '/'). On success fills `log`
// and returns true; any fault leaves `log` unspecified and returns false.
// The file is read only up to the first byte after the entries; what follows
// is neither loaded nor checked. Every line is read to its end, but only as
// much of it is kept as its field holds: lines of any length cost no memory.
// Besides the format's own checks a log is refused when its entry count is
// outside 0..MaxEntries, when an entry's FileName or the ExtraFileName is not
// isSafeRelativePath(), or when FolderName, GroupName or a Tag has a ".."
// component or a NUL byte: all of them end up joined to folders that the
// uninstaller deletes from. These checks apply to the texts as kept.
bool ReadInstallLog(const QString& folder, InstallLog& log);

// The same checks on bytes already in memory (the file's whole content),
// or on what an open device yields; a read error refuses the log.
bool ParseInstallLog(const QByteArray& bytes, InstallLog& log);
bool ParseInstallLog(QIODevice& device, InstallLog& log);

// Windows-1252 bytes to text, for captions and messages.
QString fromWindows1252(const QByteArray& bytes);

// A log text that names a path: decoded, with '\' turned into '/'.
QString logPath(const QByteArray& bytes);

// True when an entry's FileName may be joined to a folder: relative, no
// drive letter, no ".." component with either separator, no NUL byte.
bool isSafeRelativePath(const QByteArray& fileName);

} // namespace setupkit
