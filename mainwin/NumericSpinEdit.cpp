#include "mainwin/NumericSpinEdit.h"

#include <QLineEdit>

namespace mainwin {

NumericSpinEdit::NumericSpinEdit(const convert::NumericBounds& bounds, double step, QWidget* parent)
    : QAbstractSpinBox(parent), m_bounds(bounds), m_step(step)
{
    setKeyboardTracking(true);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] { emit changed(); });
}

double NumericSpinEdit::value() const
{
    return convert::readNumericText(text(), m_bounds, locale());
}

double NumericSpinEdit::settledValue() const
{
    return convert::settledNumericValue(value(), m_bounds);
}

void NumericSpinEdit::setValue(double value)
{
    setText(convert::formatNumericValue(value, m_bounds, locale()));
}

void NumericSpinEdit::setText(const QString& text)
{
    // Writing counts as a change even when the text stays the same, so a
    // partner field that disagrees is brought in line.
    if (lineEdit()->text() == text)
        emit changed();
    else
        lineEdit()->setText(text);
}

void NumericSpinEdit::stepBy(int steps)
{
    setValue(value() + steps * m_step);
    selectAll();
}

QValidator::State NumericSpinEdit::validate(QString&, int&) const
{
    // Any text may stand in the field; what is not a number reads as the
    // minimum.
    return QValidator::Acceptable;
}

void NumericSpinEdit::fixup(QString&) const {}

QAbstractSpinBox::StepEnabled NumericSpinEdit::stepEnabled() const
{
    if (isReadOnly())
        return StepNone;
    return StepUpEnabled | StepDownEnabled;
}

void NumericSpinEdit::focusOutEvent(QFocusEvent* event)
{
    QAbstractSpinBox::focusOutEvent(event);
    const double typed = value();
    if (typed < m_bounds.min || typed > m_bounds.max)
        setValue(convert::clampToBounds(typed, m_bounds));
}

} // namespace mainwin
