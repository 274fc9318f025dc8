#pragma once

#include <QFileSystemModel>

namespace mainwin {

// The file model of the list; renaming reports its failures in our boxes,
// and sizes and dates read as French, as the rest of the window does.
class ShellFileModel : public QFileSystemModel
{
    Q_OBJECT
public:
    using QFileSystemModel::QFileSystemModel;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
};

// Icons and type names from the entries' names alone. Qt's own provider
// opens every file whose name leaves its type open to read its first bytes,
// in every folder the models list, the tree's parents included: a folder of
// thousands of files then costs thousands of reads before the list settles.
// Called on the models' own thread as well as on the window's.

} // namespace mainwin
