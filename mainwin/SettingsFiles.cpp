#include "mainwin/SettingsFiles.h"

#include "platform/KnownFolders.h"
#include "platform/ProgramPath.h"
#include "platform/SafeFiles.h"

#include <QFile>
#include <QStringDecoder>
#include <QtEndian>
#include <cmath>
#include <cstring>

namespace mainwin {

namespace {
constexpr char Cr = 13;
constexpr char Lf = 10;
constexpr char CtrlZ = 26;

const QString FoldersName = QStringLiteral("folders.dat");
const QString OptionsName = QStringLiteral("options.dat");

// The design's place is beside the program. An installed copy (cmake
// --install, the package) is shared by all the machine's users and belongs
// to the package manager: it keeps every user's settings, root's included,
// in that user's own folder and never reads or writes a file beside itself.
// Any other copy installed where its users cannot write (below /opt) keeps
// them there too, after the defaults that may lie beside it.
bool savesBesideProgram(const QString& programFolder)
{
    return !platform::isInstalledCopy(programFolder) && platform::isWritableFolder(programFolder);
}

// Opens the first of the places that start-up reads `name` from.
bool openForReading(QFile& file, const QString& programFolder, const QString& name)
{
    if (!savesBesideProgram(programFolder)) {
        const QString user = userSettingsFolder();
        if (!user.isEmpty()) {
            file.setFileName(user + name);
            if (file.open(QIODevice::ReadOnly))
                return true;
        }
        if (platform::isInstalledCopy(programFolder))
            return false;
    }
    file.setFileName(programFolder + name);
    return file.open(QIODevice::ReadOnly);
}

bool save(const QString& programFolder, const QString& name, const QByteArray& bytes)
{
    if (savesBesideProgram(programFolder))
        return platform::replaceFileWhole(programFolder + name, bytes);
    const QString user = userSettingsFolder();
    return !user.isEmpty() && platform::makePrivateFolder(user) &&
           platform::replaceFileWhole(user + name, bytes);
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

QString userSettingsFolder()
{
    const QString config = platform::configHomeFolder();
    return config.isEmpty() ? QString() : config + QStringLiteral("folivant/");
}

QByteArrayList parseFolderLines(const QByteArray& bytes)
{
    QByteArray text = bytes;
    const qsizetype ctrlZ = text.indexOf(CtrlZ);
    if (ctrlZ >= 0)
        text.truncate(ctrlZ);

    QByteArrayList folders;
    qsizetype pos = 0;
    while (pos < text.size()) {
        qsizetype end = text.indexOf(Cr, pos);
        if (end < 0)
            end = text.size();
        folders.append(text.mid(pos, end - pos));
        pos = end + 1;
        if (pos < text.size() && text.at(pos) == Lf)
            ++pos;
    }
    return folders;
}

QByteArray formatFolderLines(const QByteArrayList& folders)
{
    QByteArray out;
    for (const QByteArray& folder : folders) {
        out += folder;
        out += "\r\n";
    }
    return out;
}

QString folderText(const QByteArray& line)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(line);
    if (!utf8.hasError())
        return text;
    QStringDecoder ansi("windows-1252");
    return ansi.isValid() ? QString(ansi.decode(line)) : QString::fromLatin1(line);
}

QByteArray folderLine(const QString& folder)
{
    return QFile::encodeName(folder);
}

std::optional<QByteArrayList> loadPrefFolders(const QString& programFolder)
{
    QFile file;
    if (!openForReading(file, programFolder, FoldersName))
        return std::nullopt;
    return parseFolderLines(file.readAll());
}

bool savePrefFolders(const QString& programFolder, const QByteArrayList& folders)
{
    return save(programFolder, FoldersName, formatFolderLines(folders));
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
    QFile file;
    if (!openForReading(file, programFolder, OptionsName))
        return std::nullopt;
    // Only the first 16 bytes matter, however long the file is.
    return parsePageSize(file.read(16));
}

bool savePageSize(const QString& programFolder, double widthMm, double heightMm)
{
    return save(programFolder, OptionsName, formatPageSize(widthMm, heightMm));
}

} // namespace mainwin
