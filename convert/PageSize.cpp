#include "convert/PageSize.h"

#include <cmath>
#include <limits>

namespace convert {

int32_t mmToPoints(double mm)
{
    double points = mm / MmPerInch * 72.0;
    if (!std::isfinite(points))
        return 0;
    // nearbyint follows the default rounding mode: nearest, halves to even.
    points = std::nearbyint(points);
    constexpr double lo = std::numeric_limits<int32_t>::min();
    constexpr double hi = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(points < lo ? lo : (points > hi ? hi : points));
}

const std::vector<PagePreset>& pagePresets()
{
    static const std::vector<PagePreset> presets = {
        {"a4", QStringLiteral("Format A4"), 210.0, 297.0},
        {"letter", QStringLiteral("Format lettre US"), 8.5 * MmPerInch, 11.0 * MmPerInch},
        {"legal", QStringLiteral("Format légal US"), 8.5 * MmPerInch, 14.0 * MmPerInch},
        {"executive", QStringLiteral("Format executive US"), 7.25 * MmPerInch, 10.5 * MmPerInch},
        {"tabloid", QStringLiteral("Format tabloïd"), 11.0 * MmPerInch, 17.0 * MmPerInch},
        // 148.5, not the standard's 148: the figure the page has always used.
        {"a5", QStringLiteral("Format A5"), 148.5, 210.0},
        {"a3", QStringLiteral("Format A3"), 297.0, 420.0},
    };
    return presets;
}

const PagePreset* findPagePreset(QStringView id)
{
    for (const PagePreset& preset : pagePresets())
        if (id == QLatin1String(preset.id))
            return &preset;
    return nullptr;
}

} // namespace convert
