#include "printer/JobFileName.h"

namespace printer {

namespace {

// Length of the UTF-8 sequence starting at `i`, or 0 when it is not a valid,
// shortest-form sequence of a character other than a surrogate.
std::size_t utf8Length(const std::string& s, std::size_t i, unsigned& codePoint)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned lead = byte(i);
    std::size_t length = 0;
    unsigned min = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, min = 0x80, codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, min = 0x800, codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, min = 0x10000, codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > s.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        codePoint = (codePoint << 6) | (byte(i + k) & 0x3F);
    }
    if (codePoint < min || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

std::string cleanJobTitle(const std::string& title)
{
    std::string clean;
    bool blankPending = false;
    for (std::size_t i = 0; i < title.size();) {
        unsigned codePoint = 0;
        const std::size_t length = utf8Length(title, i, codePoint);
        if (length == 0) {
            ++i;
            continue;
        }
        // C0 and C1 controls, DEL and blanks all become one blank: a title
        // broken over lines keeps its words apart.
        const bool blank = codePoint <= 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F) ||
                           codePoint == 0x2028 || codePoint == 0x2029;
        // Direction overrides would show the name's end in another order.
        const bool hidden = (codePoint >= 0x202A && codePoint <= 0x202E) ||
                            (codePoint >= 0x2066 && codePoint <= 0x2069);
        if (hidden) {
            i += length;
            continue;
        }
        if (blank) {
            blankPending = true;
            i += length;
            continue;
        }
        const std::string piece = codePoint == '/' ? std::string("_") : title.substr(i, length);
        // A leading dot would hide the file, and "." or ".." name folders.
        if (clean.empty() && codePoint == '.') {
            i += length;
            continue;
        }
        const std::size_t needed = piece.size() + (blankPending && !clean.empty() ? 1 : 0);
        if (clean.size() + needed > maxTitleBytes)
            break;
        if (blankPending && !clean.empty())
            clean += ' ';
        blankPending = false;
        clean += piece;
        i += length;
    }
    return clean.empty() ? std::string("Document") : clean;
}

std::string jobFileName(const std::string& cleanTitle, const std::string& jobId, int attempt)
{
    std::string name = cleanTitle + "-" + jobId;
    if (attempt > 1)
        name += " (" + std::to_string(attempt) + ")";
    return name + ".ps";
}

bool isJobId(const std::string& jobId)
{
    if (jobId.empty() || jobId.size() > 10)
        return false;
    for (const char c : jobId) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

} // namespace printer
