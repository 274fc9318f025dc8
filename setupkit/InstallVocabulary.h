#pragma once
// The words both setup programs read in an Install.log and leave on the
// system: entry tags, the uninstall registration's key, the uninstaller's
// menu entry, and the rule for what lies inside a folder. The installer
// writes what the uninstaller later finds, so they have to agree.

#include "setupkit/InstallLog.h"
#include "setupkit/SetupProgress.h"

#include <QHash>
#include <QString>

namespace setupkit {

// Tags of an entry that are no menu entry's name.
constexpr char DeinstallTag[] = "DEINST!"; // the uninstaller
constexpr char NoEntryTag[] = "NEIN!";     // copied, no menu entry
constexpr char ExecTag[] = "EXEC!";        // copied, then opened

inline bool isTag(const QByteArray& tag, const char* marker)
{
    return tag == QByteArray(marker);
}

// True when an entry's file is the copy of Install.log that the installed
// product's uninstaller reads.
bool isLogCopy(const QByteArray& fileName);

// Where uninstall registrations live in the machine registry.
constexpr char UninstallKeyBase[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// Registry key of a product's uninstall registration.
QString uninstallKeyPath(const InstallLog& log);

// The menu entry name of an entry tagged DeinstallTag.
QString uninstallEntryName();

// Decides which paths lie inside one folder. A product has many files in
// few folders, so each parent's real place is looked up once.
class FolderGuard
{
public:
    explicit FolderGuard(const QString& folder);

    // True when `path` names an entry directly or deeply inside the folder,
    // after resolving ".." and any symbolic links on the way there.
    bool contains(const QString& path);

    // Deletes a file, or a link but never what it points at. A folder is
    // never deleted here (unlinking one fails); failures are not reported.
    void deleteFile(const QString& path);

private:
    QString m_base;
    QHash<QString, bool> m_parents;
};

// Removes the temporaries that copies to `destination` left in `folder` when
// they were killed; the user hears of it, through `progress`, only when one
// cannot be removed.
void removeStaleCopies(const QString& destination, const QString& folder, SetupProgress& progress);

// FolderGuard(folder).contains(path), for a single question.
bool isInsideFolder(const QString& path, const QString& folder);

// True when `folder` really is `base` or lies below it: both are compared
// by their real places, so a linked folder on the way counts where it leads.
bool isFolderOrBelow(const QString& folder, const QString& base);

} // namespace setupkit
