#pragma once
// The PostScript that the interpreter runs between sources to give the PDF
// what the sources cannot: an outline entry per source, the document's
// title and maker, and an illustration's place on the page. The marks are
// the PDF writer's own operator; on another device they do nothing.

#include "convert/SourceHeader.h"

#include <string>

namespace convert {

// Text as a PostScript string that the PDF writer keeps as a PDF text
// string: its bytes when it is plain ASCII, else UTF-16BE after a byte-order
// mark. Always hexadecimal, so no text can end it early.
std::string pdfTextString(const std::string& utf8);

// An outline entry at the end of the outline that opens page `page`
// (counted from 1 in the whole PDF) at its top.
std::string outlineMark(int page, const std::string& title);

// The document's Creator, and its Title unless `title` is empty.
std::string documentInfoMark(const std::string& title, const std::string& creator);

// Before an illustration runs: its box scaled to fit the page, centred.
std::string placementCode(const SourceHeader& eps);

// What an outline entry of the source at `path` says: its title, or else its
// file name without the extension.
std::string outlineTitle(const SourceHeader& header, const std::string& path);

} // namespace convert
