#pragma once
// Helpers shared by the test executables.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace testsupport {

// Puts a recording `xdg-open` first on PATH for its lifetime. Every call
// appends one line (its arguments joined by a tab) to a log file.
class RecordingOpener
{
public:
    RecordingOpener();
    ~RecordingOpener();
    RecordingOpener(const RecordingOpener&) = delete;
    RecordingOpener& operator=(const RecordingOpener&) = delete;

    // The calls recorded so far; waits up to timeoutMs for at least
    // `atLeast` of them, since the opener runs detached.
    QStringList calls(int atLeast = 0, int timeoutMs = 3000) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_oldPath;
};

// What a test wants to know of a PDF written by the interpreter.
struct PdfInfo
{
    bool ok = false;
    QString error;
    QString version; // "1.4"
    int pageCount = 0;
    QList<QList<double>> mediaBoxes; // one [llx lly urx ury] per page
    QString title;                   // of the document information
    QString creator;
    // The outline's top-level entries: title and the page they open (from 1;
    // 0 when it opens none).
    QList<QPair<QString, int>> outline;
};
PdfInfo readPdf(const QString& path);

// Splits a desktop entry's Exec value into the words a launcher runs. Its
// quoting is the shell's double quotes, so the shell does it once %% is
// turned back into %.
QStringList splitExecLine(QString exec);

// desktop-file-validate's verdict on an entry: empty when it is clean.
QString desktopEntryErrors(const QString& desktopFile);

// Makes a folder read-only for this process and the programs it starts,
// for the object's lifetime. Permissions do not stop root, so for root it is
// a read-only bind mount, made in a mount namespace of this process's own so
// that nothing outlives the test; for other users the write permission goes.
class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder(const QString& folder);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    // Empty once the folder is read-only, else why it could not be made so.
    QString failure() const { return m_failure; }

private:
    QByteArray m_folder;
    QString m_failure;
    bool m_mounted = false;
    int m_oldMode = -1;
};

// A file system of `kib` KiB mounted on an empty folder for the object's
// lifetime, in this process's own mount namespace (root only), so that a
// disk can be full at a chosen size.
class SmallDisk
{
public:
    SmallDisk(const QString& folder, int kib);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    // Empty once mounted, else why not.
    QString failure() const { return m_failure; }

private:
    QByteArray m_folder;
    QString m_failure;
};

// Writes `bytes` to `path`, creating folders; returns false on failure.
bool writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);

// The process number of this process's running interpreter child, waiting
// up to timeoutMs for it to appear; -1 when there is none.
int runningInterpreter(int timeoutMs = 5000);

} // namespace testsupport
