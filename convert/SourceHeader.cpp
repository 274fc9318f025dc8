#include "convert/SourceHeader.h"

#include "platform/RegularFile.h"

#include <QString>
#include <QStringDecoder>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace convert {

namespace {

// Header comments are short; a box given "(atend)" is near the end.
constexpr size_t HeadBytes = 64 * 1024;
constexpr size_t TailBytes = 64 * 1024;

constexpr char UniversalExit[] = "\x1b%-12345X";

bool startsWith(const std::string& s, const char* prefix)
{
    return s.compare(0, std::strlen(prefix), prefix) == 0;
}

// The lines of a text one at a time: the header is read only as far as it
// goes. Lines end in LF, CR LF or a lone CR (as older Macintosh drivers wrote).
class Lines
{
public:
    explicit Lines(const std::string& text) : m_text(text) {}
    bool next(std::string& line)
    {
        if (m_at >= m_text.size())
            return false;
        const size_t end = std::min(m_text.find_first_of("\r\n", m_at), m_text.size());
        line.assign(m_text, m_at, end - m_at);
        m_at = end + 1;
        if (end < m_text.size() && m_text[end] == '\r' && m_at < m_text.size() &&
            m_text[m_at] == '\n')
            ++m_at;
        return true;
    }

private:
    const std::string& m_text;
    size_t m_at = 0;
};

std::string trimmed(const std::string& s)
{
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// "llx lly urx ury": four numbers with a width and a height. Out of these
// bounds the scale to the page would leave the interpreter's reals.
bool parseBox(const std::string& text, double box[4])
{
    constexpr double Far = 1e6;
    constexpr double Least = 0.01;
    const char* at = text.data();
    const char* end = text.data() + text.size();
    for (int i = 0; i < 4; ++i) {
        while (at < end && (*at == ' ' || *at == '\t'))
            ++at;
        const std::from_chars_result r = std::from_chars(at, end, box[i]);
        if (r.ec != std::errc() || !(std::abs(box[i]) <= Far))
            return false;
        at = r.ptr;
    }
    return box[2] - box[0] >= Least && box[3] - box[1] >= Least;
}

// The last value of `key` in the trailer that is not "(atend)" again.
std::string trailerValue(const std::string& tail, const char* key)
{
    std::string value;
    Lines all(tail);
    for (std::string line; all.next(line);) {
        if (startsWith(line, key) && trimmed(line.substr(std::strlen(key))) != "(atend)")
            value = line.substr(std::strlen(key));
    }
    return value;
}

// The bytes of a PostScript string "(...)": escapes, octal codes and nested
// parentheses as the language reads them.
std::string postScriptString(const std::string& text)
{
    std::string out;
    int depth = 0;
    for (size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            const char e = text[++i];
            if (e >= '0' && e <= '7') {
                int code = e - '0';
                for (int n = 0;
                     n < 2 && i + 1 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '7'; ++n)
                    code = code * 8 + (text[++i] - '0');
                out += char(code & 0xff);
            } else {
                const char* from = "nrtbf";
                const char* to = "\n\r\t\b\f";
                const char* known = std::strchr(from, e);
                out += known ? to[known - from] : e;
            }
            continue;
        }
        if (c == '(')
            ++depth;
        if (c == ')' && depth-- == 0)
            break;
        out += c;
    }
    return out;
}

// A %%Title value: a PostScript string when it is one as a whole, else the
// text as it stands.
std::string titleOf(const std::string& value)
{
    const std::string text = trimmed(value);
    if (text == "(atend)")
        return std::string();
    if (text.size() >= 2 && text.front() == '(' && text.back() == ')')
        return readableText(postScriptString(text));
    return readableText(text);
}

} // namespace

std::string readableText(const std::string& bytes)
{
    const QByteArray raw = QByteArray::fromStdString(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(raw);
    if (utf8.hasError()) {
        QStringDecoder windows("windows-1252");
        text = windows.isValid() ? QString(windows(raw)) : QString::fromLatin1(raw);
    }
    for (QChar& c : text) {
        if (!c.isPrint() && !c.isSurrogate())
            c = QLatin1Char(' ');
    }
    return text.simplified().toStdString();
}

SourceHeader parseSourceHeader(const std::string& head, const std::string& tail)
{
    SourceHeader header;
    Lines all(head);
    std::string line;
    if (!all.next(line))
        return header;
    header.eps = startsWith(line, "%!PS-Adobe-") && (line.find(" EPSF-") != std::string::npos ||
                                                     line.find("\tEPSF-") != std::string::npos);

    // A job that a Windows driver printed to a file may begin with printer
    // commands (the universal exit, then PJL lines) before its PostScript,
    // and with the end-of-job character: its header follows the "%!" line.
    if (startsWith(line, UniversalExit)) {
        const auto isStart = [](const std::string& text) {
            size_t at = startsWith(text, UniversalExit) ? std::strlen(UniversalExit) : 0;
            while (at < text.size() && text[at] == '\x04')
                ++at;
            return text.compare(at, 2, "%!") == 0;
        };
        bool more = true;
        while (more && !isStart(line))
            more = all.next(line);
    }

    std::string title;
    std::string box;
    std::string hiResBox;
    std::string* last = nullptr; // the comment that a "%%+" line continues
    while (all.next(line)) {
        // The header ends with its own comment, or at the first line that
        // is no comment.
        if (line.empty())
            continue;
        if (line[0] != '%' || startsWith(line, "%%EndComments"))
            break;
        if (startsWith(line, "%%+")) {
            if (last)
                *last += " " + line.substr(3);
            continue;
        }
        last = nullptr;
        // The first of each counts, as for any header comment.
        if (startsWith(line, "%%Title:") && title.empty())
            last = &(title = line.substr(8));
        else if (startsWith(line, "%%BoundingBox:") && box.empty())
            box = line.substr(14);
        else if (startsWith(line, "%%HiResBoundingBox:") && hiResBox.empty())
            hiResBox = line.substr(19);
    }
    header.title = titleOf(title);

    const std::string& trailer = tail.empty() ? head : tail;
    if (trimmed(box) == "(atend)")
        box = trailerValue(trailer, "%%BoundingBox:");
    if (trimmed(hiResBox) == "(atend)")
        hiResBox = trailerValue(trailer, "%%HiResBoundingBox:");
    double values[4];
    header.hasBox = parseBox(hiResBox, values) || parseBox(box, values);
    if (header.hasBox) {
        header.llx = values[0];
        header.lly = values[1];
        header.urx = values[2];
        header.ury = values[3];
    }
    return header;
}

namespace {

uint32_t littleEndian(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | uint8_t(bytes[at + size_t(i)]);
    return value;
}

} // namespace

SourceHeader readSourceHeader(const std::string& path)
{
    // Not blocking on a pipe or a device named as a source: only regular
    // files have a header worth reading.
    platform::RegularFile file;
    if (!file.open(path))
        return SourceHeader();
    std::string head;
    std::string tail;
    if (file.readAt(0, HeadBytes, head)) {
        uint64_t start = 0;
        uint64_t end = uint64_t(file.size());
        // An MS-DOS EPS file: a binary header that says where the
        // PostScript part lies, with pictures for other programs around it.
        if (head.size() >= 12 && startsWith(head, "\xC5\xD0\xD3\xC6")) {
            start = littleEndian(head, 4);
            end = std::min(end, start + littleEndian(head, 8));
            if (start >= end ||
                !file.readAt(start, size_t(std::min<uint64_t>(HeadBytes, end - start)), head))
                head.clear();
        }
        // Only a box given at the end needs the end.
        if (!head.empty() && end - start > head.size() &&
            head.find("(atend)") != std::string::npos) {
            const uint64_t from = end - std::min<uint64_t>(TailBytes, end - start);
            file.readAt(from, size_t(end - from), tail);
        }
    }
    return parseSourceHeader(head, tail);
}

} // namespace convert
