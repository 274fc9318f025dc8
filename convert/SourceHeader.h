#pragma once
// What a source says about itself in its first comments: its title, and
// whether it is an illustration (Encapsulated PostScript) with the box it
// draws in.

#include <string>

namespace convert {

struct SourceHeader
{
    // The first line is "%!PS-Adobe-x.y EPSF-z.w" (after the binary header
    // of an MS-DOS EPS file, if any): the interpreter runs it as an
    // illustration and gives it its page even without showpage.
    bool eps = false;
    // The %%HiResBoundingBox, else the %%BoundingBox, when one has a width
    // and a height.
    bool hasBox = false;
    double llx = 0, lly = 0, urx = 0, ury = 0;
    // The %%Title as UTF-8, empty when there is none that can be read.
    std::string title;
};

// The header of the source that `head` (the file's first bytes) and `tail`
// (its last bytes, for a box given "(atend)") begin and end.
SourceHeader parseSourceHeader(const std::string& head, const std::string& tail = {});

// The header of the file at path; an empty one when it is not a regular file
// that can be read.
SourceHeader readSourceHeader(const std::string& path);

// Bytes of a comment or a file name as UTF-8: taken as UTF-8 when they are
// valid UTF-8, else as Windows-1252 (Latin-1 with the printable characters
// that Windows puts in 0x80-0x9F). Control characters become blanks, runs
// of blanks one, and the ends are trimmed.
std::string readableText(const std::string& bytes);

} // namespace convert
