#pragma once
// Raw byte copy of one file, as fast as the system allows.

#include <QString>

namespace platform {

// Copies source's bytes to destination, replacing an existing file. The
// permission bits go with the bytes (an installed program must stay
// runnable); dates and owners do not. Returns false when opening, reading,
// writing or closing either file failed or fewer bytes were written than
// read; a partial destination is then left as it is. A destination that is
// the source itself (the same path, a link to it) is left untouched.
bool copyFileBytes(const QString& source, const QString& destination);

} // namespace platform
