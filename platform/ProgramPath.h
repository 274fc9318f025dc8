#pragma once
// The folder of the running executable: settings live there and every
// conversion runs with it as the current directory.

#include <QString>

namespace platform {

// Absolute folder of the running program, ending in '/'.
QString programFolder();

} // namespace platform
