#include "convert/PdfMarks.h"

#include <QString>

#include <charconv>

namespace convert {

namespace {

void appendHex(std::string& out, unsigned value, int digits)
{
    static const char hex[] = "0123456789ABCDEF";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out += hex[(value >> shift) & 0xf];
}

// Numbers in the PostScript's own notation, whatever the locale.
std::string number(double value)
{
    char buf[32];
    const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, r.ptr);
}

// A mark the PDF writer refuses must not end the job: the stacks are empty
// between sources, so clearing them undoes what it left.
std::string guarded(const std::string& mark)
{
    return "/pdfmark where { pop { " + mark + " pdfmark } stopped { clear } if } if";
}

} // namespace

std::string pdfTextString(const std::string& utf8)
{
    std::string out = "<";
    bool ascii = true;
    for (const char c : utf8)
        ascii = ascii && uint8_t(c) < 0x80;
    if (ascii) {
        for (const char c : utf8)
            appendHex(out, uint8_t(c), 2);
    } else {
        out += "FEFF";
        for (const char16_t unit : QString::fromStdString(utf8).toStdU16String())
            appendHex(out, unit, 4);
    }
    return out + ">";
}

std::string outlineMark(int page, const std::string& title)
{
    return guarded("[/Page " + std::to_string(page) +
                   " /View [/XYZ null currentpagedevice /PageSize get 1 get null] /Title " +
                   pdfTextString(title) + " /OUT");
}

std::string documentInfoMark(const std::string& title, const std::string& creator)
{
    std::string mark = "[/Creator " + pdfTextString(creator);
    if (!title.empty())
        mark += " /Title " + pdfTextString(title);
    return guarded(mark + " /DOCINFO");
}

std::string placementCode(const SourceHeader& eps)
{
    const std::string w = number(eps.urx - eps.llx);
    const std::string h = number(eps.ury - eps.lly);
    // page width W, height H; scale s = min(W/w, H/h); then the box's
    // lower left corner goes to ((W - s w) / 2, (H - s h) / 2).
    return "currentpagedevice /PageSize get aload pop 2 copy " + h + " div exch " + w +
           " div 2 copy gt { exch } if pop dup " + h + " mul 3 -1 roll exch sub 2 div exch dup " +
           w + " mul 4 -1 roll exch sub 2 div 3 -1 roll translate dup scale " + number(-eps.llx) +
           " " + number(-eps.lly) + " translate";
}

std::string outlineTitle(const SourceHeader& header, const std::string& path)
{
    if (!header.title.empty())
        return header.title;
    std::string name = path.substr(path.find_last_of('/') + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return readableText(name);
}

} // namespace convert
