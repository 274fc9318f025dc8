#pragma once
// The text model of the numeric spin fields: the text is the value.

#include <QLocale>
#include <QString>

namespace convert {

struct NumericBounds
{
    double min;
    double max;
    int decimals; // 0: an integer field
};

// The value a field's text stands for. Text that is not a number (for an
// integer field, not a whole number) reads as b.min. A number outside the
// bounds comes back as it is: the field clamps it when it loses focus.
double readNumericText(const QString& text, const NumericBounds& b, const QLocale& locale);

double clampToBounds(double value, const NumericBounds& b);

// Clamps, then shows b.decimals decimals in the locale's format (integer
// fields as whole numbers).
QString formatNumericValue(double value, const NumericBounds& b, const QLocale& locale);

// What a field holding `value` shows, as a number: clamped, then rounded to
// b.decimals as its text rounds it.
double settledNumericValue(double value, const NumericBounds& b);

} // namespace convert
