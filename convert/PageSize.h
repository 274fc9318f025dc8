#pragma once
// Page-size arithmetic shared by the page-size fields and the conversion.

#include <QString>

#include <cstdint>
#include <vector>

// Millimetres per inch as this program has always counted them.
constexpr double MmPerInch = 25.39995;

// Millimetres to whole points of 1/72 inch, halves to the even neighbour.
int32_t mmToPoints(double mm);

struct PagePreset
{
    const char* buttonName; // "FormatA4Btn"
    QString caption;        // "Format A4"
    double widthMm;         // portrait order
    double heightMm;
};

// The seven presets in the order of their buttons; inch sizes are already
// converted with MmPerInch.
const std::vector<PagePreset>& pagePresets();
