#pragma once
// The files this process has open: what each descriptor is open on and where
// it stands. The interpreter reads its sources through descriptors of its
// own; these show how far it has got.

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

namespace platform {

// `path` as the descriptors show it (links and "./" resolved) and its size,
// or an empty name when it is no regular file.
QByteArray resolvedRegularFile(const QString& path, qint64* size);
// Each open descriptor of this process with what it is open on.
std::vector<std::pair<int, QByteArray>> openDescriptors();
// What `fd` is open on, or empty.
QByteArray descriptorTarget(int fd);
// Where reading `fd` stands, or -1.
qint64 descriptorOffset(int fd);

} // namespace platform
