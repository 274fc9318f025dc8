#pragma once

#include <QFileIconProvider>
#include <QHash>
#include <QMimeDatabase>
#include <QMutex>

namespace mainwin {

// Icons and type names from the entries' names alone. Qt's own provider
// opens every file whose name leaves its type open to read its first bytes,
// in every folder the models list, the tree's parents included: a folder of
// thousands of files then costs thousands of reads before the list settles.
// Called on the models' own thread as well as on the window's.
class NameIconProvider : public QFileIconProvider
{
public:
    // For a model that shows folders only: a file gets the plain file icon
    // and no type, without a look at its name either.
    explicit NameIconProvider(bool foldersOnly) : m_foldersOnly(foldersOnly) {}

    // One set for both models, each icon made when first drawn.
    QIcon icon(IconType type) const override;
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;

private:
    QMimeType mimeType(const QFileInfo& info) const;

    const bool m_foldersOnly;
    QMimeDatabase m_mimeTypes;
    mutable QMutex m_lock;
    mutable QHash<QString, QIcon> m_icons; // by MIME type
};

} // namespace mainwin
