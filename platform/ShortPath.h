#pragma once
// The short form of a path. Names are not shortened here: a path that names
// an existing file or folder comes back unchanged, any other gives "".

#include <QString>

namespace platform {

QString shortPathName(const QString& path);

} // namespace platform
