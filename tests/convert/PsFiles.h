#pragma once
// Small PostScript documents written by the tests.

#include <QByteArray>
#include <QString>

namespace psfiles {

// `pages` pages of width x height points (the document asks for that size),
// each page showing "tag n".
inline QByteArray document(int pages, int width = 612, int height = 792,
                           const QByteArray& tag = "page")
{
    QByteArray ps = "%!PS-Adobe-3.0\n";
    ps += "<< /PageSize [" + QByteArray::number(width) + " " + QByteArray::number(height) +
          "] >> setpagedevice\n/Helvetica findfont 12 scalefont setfont\n";
    for (int i = 1; i <= pages; ++i) {
        ps += "20 20 moveto (" + tag + " " + QByteArray::number(i) + ") show\n";
        ps += "0 0 moveto " + QByteArray::number(width) + " " + QByteArray::number(height) +
              " lineto stroke showpage\n";
    }
    return ps;
}

} // namespace psfiles
