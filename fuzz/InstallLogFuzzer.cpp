// Feeds arbitrary bytes to the Install.log reader, in memory and from disk,
// and checks what an accepted log promises to the setup programs.

#include "setupkit/InstallLog.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

using namespace setupkit;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

bool climbsOut(const QString& path)
{
    return path.split(QLatin1Char('/')).contains(QStringLiteral(".."));
}

const QString& scratchFolder()
{
    // In memory when the machine offers it: every input is written once.
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/installlog-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/installlog-fuzz-XXXXXX"));
    static const QString folder = dir.path() + QLatin1Char('/');
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    InstallLog log;
    const bool accepted = ParseInstallLog(bytes, log);

    // The file on disk must read exactly as the same bytes in memory.
    {
        QFile file(scratchFolder() + QStringLiteral("Install.log"));
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        check(file.write(bytes) == bytes.size());
        file.close();
        InstallLog fromDisk;
        check(ReadInstallLog(scratchFolder(), fromDisk) == accepted);
        if (accepted)
            check(fromDisk.EntryCount == log.EntryCount && fromDisk.FolderName == log.FolderName);
    }

    if (!accepted)
        return 0;
    check(log.EntryCount <= MaxEntries);
    check(fromWindows1252(log.ProductName).size() == log.ProductName.size());
    check(log.ProductName.size() <= MaxShownText && log.FolderName.size() <= MaxShownText);
    check(log.GroupName.size() <= MaxPathText && log.ExtraFileName.size() <= MaxPathText);
    check(!climbsOut(logPath(log.FolderName)) && !climbsOut(logPath(log.GroupName)));
    check(isSafeRelativePath(log.ExtraFileName));
    for (int i = 1; i <= log.EntryCount; ++i) {
        const InstallEntry& entry = log.entry(i);
        check(entry.FileName.size() <= MaxEntryText && entry.Tag.size() <= MaxEntryText);
        check(isSafeRelativePath(entry.FileName));
        const QString path = logPath(entry.FileName);
        check(!climbsOut(path) && !path.startsWith(QLatin1Char('/')));
        check(!climbsOut(logPath(entry.Tag)));
    }
    for (int i = log.EntryCount + 1; i <= MaxEntries; ++i)
        check(log.entry(i).FileName.isEmpty() && log.entry(i).Tag.isEmpty());
    return 0;
}
