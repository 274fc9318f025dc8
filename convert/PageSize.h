#pragma once
// Page-size arithmetic shared by the page-size fields and the conversion.

#include <QString>

#include <cstdint>
#include <vector>

namespace convert {

// Millimetres per inch as this program has always counted them.
constexpr double MmPerInch = 25.39995;

// Millimetres to whole points of 1/72 inch, halves to the even neighbour.
int32_t mmToPoints(double mm);

struct PagePreset
{
    const char* id; // "a4": how folivant-convert's --page names it

    QString caption; // "Format A4"
    double widthMm;  // portrait order
    double heightMm;
};

// The seven presets in the order of their buttons; inch sizes are already
// converted with MmPerInch.
const std::vector<PagePreset>& pagePresets();

// The preset of that identifier, or null.
const PagePreset* findPagePreset(QStringView id);

} // namespace convert
