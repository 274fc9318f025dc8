#include "setupkit/InstallLog.h"

#include <QBuffer>
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
// ordinary character. Ctrl-Z ends the file, and past the end every read
// gives an empty line. It reads from the device only as far as it is asked
// to, so whatever follows the last entry is never loaded.
class LineReader
{
public:
    explicit LineReader(QIODevice& in) : m_in(in) {}

    // Reads the next line whole and hands it to `piece(data, size)` in the
    // pieces in which it was read, so that no line has to fit in memory.
    template <typename Piece> void readLineInPieces(Piece&& piece)
    {
        while (fill()) {
            const qsizetype cr = m_buffer.indexOf(CR, m_pos);
            const qsizetype stop = cr < 0 ? m_buffer.size() : cr;
            piece(m_buffer.constData() + m_pos, stop - m_pos);
            m_pos = stop;
            if (cr >= 0) {
                ++m_pos;
                if (fill() && m_buffer.at(m_pos) == LF)
                    ++m_pos;
                break;
            }
        }
    }

    // The first `keep` bytes of the next line; the rest is read and dropped.
    QByteArray readLine(qsizetype keep)
    {
        QByteArray line;
        readLineInPieces([&line, keep](const char* data, qsizetype size) {
            line.append(data, qMin(size, keep - line.size()));
        });
        return line;
    }

    // No byte left, or the next one is Ctrl-Z.
    bool atEnd() { return !fill(); }

    // The device reported an error: what was read so far is not the file.
    bool failed() const { return m_failed; }

private:
    // True when at least one byte before the end is buffered.
    bool fill()
    {
        if (m_pos < m_buffer.size())
            return true;
        if (m_ended)
            return false;
        m_buffer.resize(ChunkSize);
        const qint64 got = m_in.read(m_buffer.data(), ChunkSize);
        m_buffer.resize(got > 0 ? qsizetype(got) : 0);
        m_pos = 0;
        if (got < 0)
            m_failed = true;
        const qsizetype ctrlZ = m_buffer.indexOf(CtrlZ);
        if (ctrlZ >= 0)
            m_buffer.truncate(ctrlZ);
        if (got <= 0 || ctrlZ >= 0)
            m_ended = true;
        return !m_buffer.isEmpty();
    }

    static constexpr qsizetype ChunkSize = 16 * 1024;
    QIODevice& m_in;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    bool m_ended = false;
    bool m_failed = false;
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
// hexadecimal one 32 bits; larger ones are an overflow. The line is taken
// piece by piece, so a million leading blanks cost nothing.
class CountParser
{
public:
    void operator()(const char* data, qsizetype size)
    {
        for (qsizetype i = 0; i < size && m_state != State::Bad; ++i)
            step(data[i]);
    }

    bool value(qint64& value) const
    {
        const bool complete = m_state == State::LeadingZero ||
                              ((m_state == State::Decimal || m_state == State::Hex) && m_digits);
        if (complete)
            value = m_negative ? -m_magnitude : m_magnitude;
        return complete;
    }

private:
    enum class State { Blanks, AfterSign, LeadingZero, Decimal, Hex, Bad };

    void step(char c)
    {
        switch (m_state) {
        case State::Blanks:
            if (c == ' ')
                return;
            if (c == '+' || c == '-') {
                m_negative = c == '-';
                m_state = State::AfterSign;
                return;
            }
            [[fallthrough]];
        case State::AfterSign:
            if (c == '$' || c == 'x' || c == 'X') {
                m_state = State::Hex;
            } else if (c == '0') {
                // Zero so far, or the start of "0x".
                m_state = State::LeadingZero;
            } else {
                m_state = State::Decimal;
                digit(c);
            }
            return;
        case State::LeadingZero:
            if (c == 'x' || c == 'X') {
                m_state = State::Hex;
                return;
            }
            m_state = State::Decimal;
            digit(c);
            return;
        case State::Decimal:
        case State::Hex:
            digit(c);
            return;
        case State::Bad:
            return;
        }
    }

    void digit(char c)
    {
        const bool hex = m_state == State::Hex;
        const int value = hex ? hexDigit(c) : (c >= '0' && c <= '9') ? c - '0' : -1;
        const qint64 limit =
            hex ? qint64(std::numeric_limits<quint32>::max())
                : qint64(std::numeric_limits<qint32>::max()) + (m_negative ? 1 : 0);
        if (value < 0) {
            m_state = State::Bad;
            return;
        }
        m_magnitude = m_magnitude * (hex ? 16 : 10) + value;
        ++m_digits;
        if (m_magnitude > limit)
            m_state = State::Bad;
    }

    State m_state = State::Blanks;
    bool m_negative = false;
    qint64 m_magnitude = 0;
    int m_digits = 0;
};

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

bool ParseInstallLog(QIODevice& device, InstallLog& log)
{
    log = InstallLog();
    LineReader in(device);

    // One byte more than the marker is enough to tell a longer line apart.
    const QByteArray header(HeaderLine);
    if (in.readLine(header.size() + 1) != header)
        return false;
    const QByteArray guard(GuardLine);
    if (in.readLine(guard.size() + 1) != guard)
        return false;

    log.ProductName = in.readLine(MaxShownText);

    QByteArray folder = in.readLine(ProgramFolderPrefixLength + MaxShownText);
    if (startsWithProgramFolder(folder))
        folder.remove(0, ProgramFolderPrefixLength);
    folder.truncate(MaxShownText);
    log.FolderName = folder;

    log.GroupName = in.readLine(MaxPathText);
    log.ExtraFileName = in.readLine(MaxPathText);

    // FolderName may name another drive ("D:\Programme\..."), which only
    // makes an odd proposal; but it also names the uninstall key that is
    // deleted with everything below it, and GroupName names the menu folder
    // that is emptied, so neither may climb out of where it is joined.
    if (!joinableToFolder(log.FolderName) || !joinableToFolder(log.GroupName))
        return false;
    // ExtraFileName is deleted from the installation folder.
    if (!isSafeRelativePath(log.ExtraFileName))
        return false;

    CountParser countLine;
    in.readLineInPieces(countLine);
    qint64 count = 0;
    if (!countLine.value(count))
        return false;
    // The table holds MaxEntries entries; anything else is not a log we wrote.
    if (count < 0 || count > MaxEntries)
        return false;
    log.EntryCount = quint16(count);

    for (int i = 0; i < log.EntryCount; ++i) {
        InstallEntry& entry = log.Entries[size_t(i)];
        entry.FileName = in.readLine(MaxEntryText);
        if (in.atEnd())
            return false;
        entry.Tag = in.readLine(MaxEntryText);
        if (in.atEnd())
            return false;
        // Both programs join FileName to a folder and the uninstaller deletes
        // what it names; a shortcut name is joined to the menu folder.
        if (!isSafeRelativePath(entry.FileName) || !joinableToFolder(entry.Tag))
            return false;
    }
    return !in.failed();
}

bool ParseInstallLog(const QByteArray& bytes, InstallLog& log)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return ParseInstallLog(buffer, log);
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
    return ParseInstallLog(file, log);
}

} // namespace setupkit
