#pragma once
// The two registries of the setup programs: the machine's and the current
// user's. A key is a folder under the registry's root, its subkeys are
// subfolders and each string value is a file holding the value's text.

#include <QString>
#include <QStringList>

#include <optional>

namespace platform {

enum class Hive { Machine, User };

// Folder holding the hive's top-level keys, ending in '/'.
QString registryRoot(Hive hive);

// A key path uses '\' (or '/') between key names. Paths with an empty, "."
// or ".." name are refused so that no path leaves its hive.
bool isValidKeyPath(const QString& keyPath);

class RegistryKey
{
public:
    enum class Access { Read, Full };

    // Opens an existing key; with `create` also makes it and its missing
    // parents. Full access requires that the key can be written. A key
    // reached through a linked folder is not a key and never opens. Where
    // it does not open, `error` (when given) says why.
    static std::optional<RegistryKey> open(Hive hive, const QString& keyPath, Access access,
                                           bool create = false, QString* error = nullptr);

    // Missing values read as nullopt, and so does a link found in a
    // value's place: it is no value of this key.
    std::optional<QString> readString(const QString& name) const;
    // Written whole: a reader sees the old text or the new, and a link in
    // the value's place is replaced, never written through.
    bool writeString(const QString& name, const QString& value, QString* error = nullptr) const;
    // Removes the value; true when it is gone, also when it was not there.
    bool deleteValue(const QString& name, QString* error = nullptr) const;

    // Names of the direct subkeys, sorted.
    QStringList subKeys() const;

    QString folder() const { return m_folder; }

private:
    explicit RegistryKey(QString folder, Access access)
        : m_folder(std::move(folder)), m_access(access)
    {
    }
    QString m_folder; // ends in '/'
    Access m_access;
};

// Deletes a key that holds nothing. Fails when the key is missing, still has
// subkeys or values, or cannot be written; `error` (when given) says which.
bool deleteKey(Hive hive, const QString& keyPath, QString* error = nullptr);

} // namespace platform
