#include "SettingsFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>
#include <cmath>
#include <cstring>

namespace settings {

namespace {
constexpr char Cr = 13;
constexpr char Lf = 10;
constexpr char CtrlZ = 26;

std::optional<QByteArray> readWhole(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

double readDouble(const char* bytes)
{
    const quint64 bits = qFromLittleEndian<quint64>(bytes);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void appendDouble(QByteArray& out, double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    char bytes[8];
    qToLittleEndian(bits, bytes);
    out.append(bytes, 8);
}
} // namespace

QString foldersFileName(const QString& programFolder)
{
    return programFolder + QStringLiteral("folders.dat");
}

QString optionsFileName(const QString& programFolder)
{
    return programFolder + QStringLiteral("options.dat");
}

QStringList parseFolderLines(const QByteArray& bytes)
{
    QByteArray text = bytes;
    const qsizetype ctrlZ = text.indexOf(CtrlZ);
    if (ctrlZ >= 0)
        text.truncate(ctrlZ);

    QStringList folders;
    qsizetype pos = 0;
    while (pos < text.size()) {
        qsizetype end = text.indexOf(Cr, pos);
        if (end < 0)
            end = text.size();
        // Names on disk are in the file system's encoding; decodeName keeps
        // what encodeName wrote back byte for byte.
        folders.append(QFile::decodeName(text.mid(pos, end - pos)));
        pos = end + 1;
        if (pos < text.size() && text.at(pos) == Lf)
            ++pos;
    }
    return folders;
}

QByteArray formatFolderLines(const QStringList& folders)
{
    QByteArray out;
    for (const QString& folder : folders) {
        out += QFile::encodeName(folder);
        out += "\r\n";
    }
    return out;
}

std::optional<QStringList> loadPrefFolders(const QString& programFolder)
{
    const auto bytes = readWhole(foldersFileName(programFolder));
    if (!bytes)
        return std::nullopt;
    return parseFolderLines(*bytes);
}

bool savePrefFolders(const QString& programFolder, const QStringList& folders)
{
    return replaceFile(foldersFileName(programFolder), formatFolderLines(folders));
}

StoredPageSize parsePageSize(const QByteArray& bytes)
{
    StoredPageSize size;
    // A NaN is no size at all, not even one out of range: the field keeps
    // its start-up value rather than showing garbage.
    if (bytes.size() >= 8 && !std::isnan(readDouble(bytes.constData())))
        size.widthMm = readDouble(bytes.constData());
    if (bytes.size() >= 16 && !std::isnan(readDouble(bytes.constData() + 8)))
        size.heightMm = readDouble(bytes.constData() + 8);
    return size;
}

QByteArray formatPageSize(double widthMm, double heightMm)
{
    QByteArray out;
    appendDouble(out, widthMm);
    appendDouble(out, heightMm);
    return out;
}

std::optional<StoredPageSize> loadPageSize(const QString& programFolder)
{
    QFile file(optionsFileName(programFolder));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Only the first 16 bytes matter, however long the file is.
    return parsePageSize(file.read(16));
}

bool savePageSize(const QString& programFolder, double widthMm, double heightMm)
{
    return replaceFile(optionsFileName(programFolder), formatPageSize(widthMm, heightMm));
}

bool replaceFile(const QString& fileName, const QByteArray& bytes)
{
    const QFileInfo existing(fileName);
    if (existing.exists() && (existing.isDir() || !existing.isWritable()))
        return false;
    QSaveFile file(fileName);
    // Never fall back to writing the target in place: that is exactly the
    // half-written file the rename avoids.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace settings
