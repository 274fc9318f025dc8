#pragma once
// The folder of the running executable: settings live there and every
// conversion runs with it as the current directory.

#include <QString>

namespace platform {

// Absolute folder of the running program, ending in '/'.
QString programFolder();

// The file that `cmake --install` (and so the Debian package) puts beside
// the programs it installs, and nothing else does: neither the build nor
// Setwell's distribution folder has it, and Setwell copies only what its
// Install.log lists.
inline constexpr const char* InstalledMarkerName = "installed";

// True when `programFolder` holds that file: the program is a machine's
// installed copy, shared by its users, not a folder the user chose.
bool isInstalledCopy(const QString& programFolder);

} // namespace platform
