#include "platform/Registry.h"

#include "platform/KnownFolders.h"
#include "platform/SafeFiles.h"
#include "platform/posix/SystemError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

QStringList keyNames(const QString& keyPath)
{
    QString path = keyPath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path.split(QLatin1Char('/'));
}

bool isValidName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
           !name.contains(QChar(0));
}

QString keyFolder(Hive hive, const QString& keyPath)
{
    const QString root = registryRoot(hive);
    if (root.isEmpty() || !isValidKeyPath(keyPath))
        return QString();
    return root + keyNames(keyPath).join(QLatin1Char('/')) + QLatin1Char('/');
}

// Keys are plain folders. A linked folder in a key's path leads out of the
// hive, and deleting a key tree through it would delete wherever it points.
bool passesThroughLink(Hive hive, const QString& keyPath)
{
    QString path = registryRoot(hive);
    for (const QString& name : keyNames(keyPath)) {
        path += name;
        if (QFileInfo(path).isSymLink())
            return true;
        path += QLatin1Char('/');
    }
    return false;
}

bool canWrite(const QString& folder)
{
    return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

} // namespace

QString registryRoot(Hive hive)
{
    if (hive == Hive::Machine)
        return systemRoot() + QStringLiteral("/var/lib/setwell/registry/");
    const QString config = configHomeFolder();
    return config.isEmpty() ? QString() : config + QStringLiteral("setwell/registry/");
}

bool isValidKeyPath(const QString& keyPath)
{
    const QStringList names = keyNames(keyPath);
    for (const QString& name : names)
        if (!isValidName(name))
            return false;
    return true;
}

std::optional<RegistryKey> RegistryKey::open(Hive hive, const QString& keyPath, Access access,
                                             bool create, QString* error)
{
    const QString folder = keyFolder(hive, keyPath);
    if (folder.isEmpty() || passesThroughLink(hive, keyPath)) {
        failWith(error, keyPath, QStringLiteral("n'est pas une clé de ce registre"));
        return std::nullopt;
    }
    if (!QFileInfo(folder).isDir()) {
        if (!create) {
            failWith(error, keyPath, QStringLiteral("n'existe pas"));
            return std::nullopt;
        }
        if (!QDir().mkpath(folder)) {
            failWith(error, keyPath, QStringLiteral("ne peut pas être créée"));
            return std::nullopt;
        }
    }
    if (access == Access::Full && !canWrite(folder)) {
        failWithErrno(error, folder);
        return std::nullopt;
    }
    return RegistryKey(folder, access);
}

std::optional<QString> RegistryKey::readString(const QString& name) const
{
    if (!isValidName(name))
        return std::nullopt;
    const int fd = ::open(QFile::encodeName(m_folder + name).constData(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    // Only a plain file holds a value: a folder or a pipe of that name does not.
    struct stat info;
    QFile file;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return std::nullopt;
    }
    return QString::fromUtf8(file.readAll());
}

bool RegistryKey::writeString(const QString& name, const QString& value, QString* error) const
{
    if (m_access != Access::Full)
        return failWith(error, m_folder, QStringLiteral("ouverte en lecture seule"));
    if (!isValidName(name))
        return failWith(error, name, QStringLiteral("n'est pas un nom de valeur"));
    return replaceFileWhole(m_folder + name, value.toUtf8(), std::nullopt, error);
}

bool RegistryKey::deleteValue(const QString& name, QString* error) const
{
    if (m_access != Access::Full)
        return failWith(error, m_folder, QStringLiteral("ouverte en lecture seule"));
    if (!isValidName(name))
        return failWith(error, name, QStringLiteral("n'est pas un nom de valeur"));
    // With the replacement a killed write may have left.
    for (const QString& file : {m_folder + name, replacementFileName(m_folder + name)}) {
        if (::unlink(QFile::encodeName(file).constData()) != 0 && errno != ENOENT)
            return failWithErrno(error, file);
    }
    return true;
}

QStringList RegistryKey::subKeys() const
{
    return QDir(m_folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

bool deleteKey(Hive hive, const QString& keyPath, QString* error)
{
    const QString folder = keyFolder(hive, keyPath);
    if (folder.isEmpty() || passesThroughLink(hive, keyPath))
        return failWith(error, keyPath, QStringLiteral("n'est pas une clé de ce registre"));
    if (!QFileInfo(folder).isDir())
        return failWith(error, keyPath, QStringLiteral("n'existe pas"));
    // Only an empty folder can be removed: whatever is left in it, another
    // product's key or a value of someone else's, keeps it.
    return ::rmdir(QFile::encodeName(folder).constData()) == 0 || failWithErrno(error, folder);
}

} // namespace platform
