#include "convert/NumericText.h"

#include <cmath>

namespace convert {

namespace {

QLocale withoutGroups(QLocale locale)
{
    // A spin field shows 10000.00, never 10,000.00.
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale;
}

} // namespace

double readNumericText(const QString& text, const NumericBounds& b, const QLocale& locale)
{
    bool ok = false;
    if (b.decimals == 0) {
        const qlonglong whole = locale.toLongLong(text.trimmed(), &ok);
        return ok ? double(whole) : b.min;
    }
    const double value = locale.toDouble(text.trimmed(), &ok);
    return ok && std::isfinite(value) ? value : b.min;
}

double clampToBounds(double value, const NumericBounds& b)
{
    if (!std::isfinite(value))
        return std::isinf(value) && value > 0 ? b.max : b.min;
    if (value < b.min)
        return b.min;
    if (value > b.max)
        return b.max;
    return value;
}

QString formatNumericValue(double value, const NumericBounds& b, const QLocale& locale)
{
    const double v = clampToBounds(value, b);
    const QLocale shown = withoutGroups(locale);
    if (b.decimals == 0)
        return shown.toString(qlonglong(std::trunc(v)));
    return shown.toString(v, 'f', b.decimals);
}

double settledNumericValue(double value, const NumericBounds& b)
{
    return QLocale::c().toDouble(formatNumericValue(value, b, QLocale::c()));
}

} // namespace convert
