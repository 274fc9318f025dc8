#pragma once
// Small files that must never be found half written, and the folders that
// hold them.

#include <QByteArray>
#include <QString>

#include <optional>

namespace platform {

// The file a replacement is written to before it takes the old one's place:
// `fileName` + ".new". Every save of that file reuses it, so a save that was
// killed leaves this one file at most, and the next save takes it over.
QString replacementFileName(const QString& fileName);

// Writes `bytes` to the replacement file, flushes it to the disk and renames
// it over `fileName`. Any failure (a short write, a full disk, a failed
// flush) removes the replacement and returns false with the old file whole.
// An existing file that may not be written, or a folder of that name, is
// left alone as a plain overwrite would leave it; a link of that name is
// replaced itself, never followed, and what it leads to stays as it was.
// The file gets the permission bits `mode` (as chmod takes them) when
// given, else a replaced file keeps its own and a new one gets 0666 less
// the umask. On failure `error`, when given, says what failed and why.
bool replaceFileWhole(const QString& fileName, const QByteArray& bytes,
                      std::optional<int> mode = std::nullopt, QString* error = nullptr);

// True when this process may create and rename files in `folder`: a
// read-only mount counts as much as the permissions do.
bool isWritableFolder(const QString& folder);

// Creates `folder` and any missing folders above it, each readable by its
// owner only; a folder that exists already is left as it is. On failure
// `error`, when given, says which folder and why.
bool makePrivateFolder(const QString& folder, QString* error = nullptr);

} // namespace platform
