#include "setupkit/InstallLog.h"

#include <QFile>
#include <QFileInfo>

#include <limits>

namespace setupkit {

namespace {

const char HeaderLine[] = "Quorvex Setwell 2.0 - Install.log";
// The guard line is German and stored in Windows-1252: E4 is a-umlaut, F6 o-umlaut.
const char GuardLine[] = "Nicht ver\xE4ndern, nicht l\xF6schen!";
const char ProgramFolderPrefix[] = "C:\\PROGRAMME\\";
constexpr int ProgramFolderPrefixLength = 13;

const char CtrlZ = '\x1A';
const char CR = '\r';
const char LF = '\n';

// Reads text lines the way the log's authors wrote them: a line ends at CR,
// an LF right after that CR is part of the line end, and a lone LF is an
// ordinary character. Past the end every read gives an empty line.
class LineReader
{
public:
    explicit LineReader(const QByteArray& bytes) : m_bytes(bytes), m_size(bytes.indexOf(CtrlZ))
    {
        if (m_size < 0)
            m_size = bytes.size();
    }

    QByteArray readLine()
    {
        if (atEnd())
            return QByteArray();
        const qsizetype start = m_pos;
        qsizetype end = m_bytes.indexOf(CR, start);
        if (end < 0 || end >= m_size)
            end = m_size;
        m_pos = end;
        if (m_pos < m_size && m_bytes[m_pos] == CR) {
            ++m_pos;
            if (m_pos < m_size && m_bytes[m_pos] == LF)
                ++m_pos;
        }
        return m_bytes.mid(start, end - start);
    }

    // Ctrl-Z was cut off in the constructor, so "at its end" is simply
    // "no byte left".
    bool atEnd() const { return m_pos >= m_size; }

private:
    const QByteArray& m_bytes;
    qsizetype m_size;
    qsizetype m_pos = 0;
};

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Integer syntax of the count line: leading blanks, an optional sign, then
// decimal digits, or hexadecimal ones after "$", "x" or "0x". Nothing may
// follow the digits. A decimal value must fit 32 signed bits and a
// hexadecimal one 32 bits; larger ones are an overflow.
bool parseCount(const QByteArray& line, qint64& value)
{
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n && line[i] == ' ')
        ++i;
    bool negative = false;
    if (i < n && (line[i] == '+' || line[i] == '-')) {
        negative = line[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < n && line[i] == '$') {
        hex = true;
        ++i;
    } else if (i < n && (line[i] == 'x' || line[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && line[i] == '0' && (line[i + 1] == 'x' || line[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= n)
        return false; // no digits at all

    const qint64 limit = hex ? qint64(std::numeric_limits<quint32>::max())
                             : qint64(std::numeric_limits<qint32>::max()) + (negative ? 1 : 0);
    qint64 magnitude = 0;
    for (; i < n; ++i) {
        const int digit = hex                                  ? hexDigit(line[i])
                          : (line[i] >= '0' && line[i] <= '9') ? line[i] - '0'
                                                               : -1;
        if (digit < 0)
            return false;
        magnitude = magnitude * (hex ? 16 : 10) + digit;
        if (magnitude > limit)
            return false;
    }
    value = negative ? -magnitude : magnitude;
    return true;
}

bool startsWithProgramFolder(const QByteArray& line)
{
    if (line.size() < ProgramFolderPrefixLength)
        return false;
    // The prefix is plain ASCII and no Windows-1252 letter upper-cases into
    // ASCII, so an ASCII case fold is the same test as the upper-case form.
    for (int i = 0; i < ProgramFolderPrefixLength; ++i) {
        char c = line[i];
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
        if (c != ProgramFolderPrefix[i])
            return false;
    }
    return true;
}

bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

// True when a text that is joined to a folder has a ".." component.
bool climbsOut(const QByteArray& text)
{
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i <= n; ++i) {
        if (i == n || isSeparator(text[i])) {
            if (i - start == 2 && text[start] == '.' && text[start + 1] == '.')
                return true;
            start = i + 1;
        }
    }
    return false;
}

// Names that become paths must not hide a NUL: the file system would cut
// the path there and might be left with a ".." that the checks never saw.
bool joinableToFolder(const QByteArray& text)
{
    return !text.contains('\0') && !climbsOut(text);
}

// Windows-1252 0x80..0x9F; the five unassigned bytes keep their C1 code.
const char16_t HighControlBlock[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QString fromWindows1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const uchar b = uchar(c);
        *out++ = (b >= 0x80 && b <= 0x9F) ? QChar(HighControlBlock[b - 0x80]) : QChar(b);
    }
    return text;
}

QString logPath(const QByteArray& bytes)
{
    QString path = fromWindows1252(bytes);
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path;
}

bool isSafeRelativePath(const QByteArray& fileName)
{
    if (!fileName.isEmpty() && isSeparator(fileName[0]))
        return false;
    if (fileName.size() >= 2 && fileName[1] == ':') {
        const char d = fileName[0];
        if ((d >= 'A' && d <= 'Z') || (d >= 'a' && d <= 'z'))
            return false;
    }
    return joinableToFolder(fileName);
}

bool ParseInstallLog(const QByteArray& bytes, InstallLog& log)
{
    log = InstallLog();
    LineReader in(bytes);

    if (in.readLine() != QByteArray(HeaderLine))
        return false;
    if (in.readLine() != QByteArray(GuardLine))
        return false;

    log.ProductName = in.readLine();

    QByteArray folder = in.readLine();
    if (startsWithProgramFolder(folder))
        folder.remove(0, ProgramFolderPrefixLength);
    log.FolderName = folder;

    log.GroupName = in.readLine();
    log.ExtraFileName = in.readLine();

    // FolderName may name another drive ("D:\Programme\..."), which only
    // makes an odd proposal; but it also names the uninstall key that is
    // deleted with everything below it, and GroupName names the menu folder
    // that is emptied, so neither may climb out of where it is joined.
    if (!joinableToFolder(log.FolderName) || !joinableToFolder(log.GroupName))
        return false;
    // ExtraFileName is deleted from the installation folder.
    if (!isSafeRelativePath(log.ExtraFileName))
        return false;

    qint64 count = 0;
    if (!parseCount(in.readLine(), count))
        return false;
    // The table holds MaxEntries entries; anything else is not a log we wrote.
    if (count < 0 || count > MaxEntries)
        return false;
    log.EntryCount = quint16(count);

    for (int i = 0; i < log.EntryCount; ++i) {
        InstallEntry& entry = log.Entries[size_t(i)];
        entry.FileName = in.readLine().left(MaxEntryText);
        if (in.atEnd())
            return false;
        entry.Tag = in.readLine().left(MaxEntryText);
        if (in.atEnd())
            return false;
        // Both programs join FileName to a folder and the uninstaller deletes
        // what it names; a shortcut name is joined to the menu folder.
        if (!isSafeRelativePath(entry.FileName) || !joinableToFolder(entry.Tag))
            return false;
    }
    return true;
}

bool ReadInstallLog(const QString& folder, InstallLog& log)
{
    const QString path = folder + QStringLiteral("Install.log");
    // Only a regular file: a device or pipe under that name would never end.
    if (!QFileInfo(path).isFile())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    return ParseInstallLog(bytes, log);
}

} // namespace setupkit
