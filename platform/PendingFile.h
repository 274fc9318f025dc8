#pragma once
// A file that appears under its name only once it is complete: it is
// written under a temporary name in the same folder, flushed to the disk
// and then renamed over whatever has that name (a file, or a link, which is
// replaced and never followed). Until then an older file of that name stays
// as it was; a pending file that is never put in place is removed.

#include <QString>

namespace platform {

// Why a file could not be made or put in place.
struct FileProblem
{
    enum Kind {
        None,
        FolderMissing, // the folder does not exist
        NotAFolder,    // a file stands where a folder of the path should be
        IsAFolder,     // the name itself is a folder
        ReadOnly,      // the folder is on a read-only file system
        NoPermission,  // the folder may not be written
        DiskFull,      // no space left, or the size limit reached
        Other,
    };
    Kind kind = None;
    QString folder;     // the folder concerned
    QString systemText; // the system's own words for Other
};

class PendingFile
{
public:
    PendingFile() = default;
    ~PendingFile(); // removes a file that was not put in place
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Creates the temporary file, empty, in the folder of `finalName`. The
    // temporary files there of runs that never ended go first: those that
    // no running process holds and that are more than a minute old.
    bool create(const QString& finalName, FileProblem* problem);
    QString temporaryName() const { return m_temporary; }
    QString finalName() const { return m_final; }

    // The temporary file's bytes at `offset` (fewer at its end); read
    // through the descriptor made with it, whoever wrote them by name.
    qint64 readAt(qint64 offset, char* data, qint64 size) const;
    qint64 size() const;
    // True while the temporary name still names the file made by create().
    bool isStillOurs() const;

    // Flushes the file to the disk, renames it onto the final name and
    // flushes the folder. On failure the temporary file goes.
    bool commit(FileProblem* problem);
    // Removes the temporary file; the final name is left as it was.
    void discard();

private:
    QString m_final;
    QString m_temporary;
    QByteArray m_leaf; // the temporary's name within its folder
    QByteArray m_finalLeaf;
    int m_folder = -1;
    int m_fd = -1;
};

// True when both names lead, through any links, to one and the same file
// (the same device and inode): a second hard link counts as the same file.
bool isSameFile(const QString& a, const QString& b);

} // namespace platform
