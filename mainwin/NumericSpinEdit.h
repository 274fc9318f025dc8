#pragma once
// A spin field whose text is its value: reading parses the text, writing
// clamps and formats, leaving the field clamps a typed value that is out of
// bounds. changed() fires on every change of the text, typed or written.

#include "convert/NumericText.h"

#include <QAbstractSpinBox>

namespace mainwin {

class NumericSpinEdit : public QAbstractSpinBox
{
    Q_OBJECT
public:
    NumericSpinEdit(const convert::NumericBounds& bounds, double step, QWidget* parent);

    double value() const;
    // The value as the field shows it once the edit is over: clamped and to
    // its decimals, however the typed text stands.
    double settledValue() const;
    void setValue(double value);
    void setText(const QString& text);
    const convert::NumericBounds& bounds() const { return m_bounds; }

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

signals:
    void changed();

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    convert::NumericBounds m_bounds;
    double m_step;
};

} // namespace mainwin
