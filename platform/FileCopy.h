#pragma once
// Copies of files, links and folders that never show half a copy under the
// destination's name: a file's bytes go to a temporary name in the
// destination's folder, which takes the destination's name once they are
// all there.

#include <QString>
#include <QStringList>

namespace platform {

struct CopyOptions
{
    // A file already at the destination is replaced (an installation), or
    // the copy fails and leaves it alone (a paste into a name found free).
    bool replace = true;
    // The copy gets the source's permission bits and times, as a moved file
    // keeps them; otherwise its permission bits are the source's less the
    // umask and it is dated now.
    bool keepAttributes = false;
    // When set, a folder that holds the destination: the folders between
    // it and the destination are taken as they are, never through a
    // symbolic link that someone who may write there put in their place.
    QString within;
};

// The functions below that can fail return false and, when `error` is
// given, put there what failed and why.

// Copies the bytes of the regular file `source` to `destination`, as fast as
// the system allows. The permission bits go with the bytes (an installed
// program must stay runnable); owners do not. Returns false when either file
// could not be opened, read, written or closed, when fewer bytes were written
// than read, or when the source is not a regular file. Whatever happens, the
// destination's name holds either what it held before or the whole copy,
// and a failure leaves no temporary file behind (a process that dies during
// the copy leaves a hidden one, ".NAME.XXXXXX").
//
// A file or link found at the destination is replaced, never written
// through: a symbolic or hard link placed there keeps the file it leads to
// unchanged, and a running program is replaced while it runs. Anything else
// there (a folder, a device) makes the copy fail. A destination that is the
// source itself (the same name, or a hard link to it) is left as it is.
bool copyFileBytes(const QString& source, const QString& destination,
                   const CopyOptions& options = {}, QString* error = nullptr);

// Removes the hidden temporaries that copies to `destination` left when
// their process died: regular files in its folder named as copyFileBytes
// names them (".NAME.XXXXXX"), nothing else. Only a folder that is or lies
// below `within` is looked into, and the folders between are never taken
// through a link. Returns the paths that could not be removed.
QStringList removeCopyLeftovers(const QString& destination, const QString& within);

// Makes `destination` a symbolic link with the same target text as the link
// `source`, relative or not, and with its times. Fails when the name is taken.
bool copySymbolicLink(const QString& source, const QString& destination, QString* error = nullptr);

// Gives the folder `destination` the permission bits and times of the folder
// `source`: for a copied folder once its content is complete, since every
// entry added changes a folder's time. Where the file system cannot take
// them, the folder keeps its own.
void copyFolderAttributes(const QString& source, const QString& destination);

// Renames an entry without replacing anything at the new name. Fails when
// the name is taken (errno EEXIST) and across file systems, where the
// caller copies.
bool moveEntry(const QString& from, const QString& to, QString* error = nullptr);

// Writes everything the system holds for the file system of `folder` to its
// device: a move may delete its source once this has succeeded.
bool flushFileSystem(const QString& folder, QString* error = nullptr);

} // namespace platform
