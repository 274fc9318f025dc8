#pragma once
// The page "Taille de la page": the PDF's page size in millimetres and in
// inches, each pair kept in step with the other, and the preset sizes.

#include "mainwin/PageDecor.h"

class QRadioButton;

namespace convert {
struct PagePreset;
}

namespace mainwin {

class NumericSpinEdit;

class PageSizePage : public PageSheet
{
    Q_OBJECT
public:
    explicit PageSizePage(QWidget* parent);

    // Computes the millimetres from the inches the page was built with.
    void alignMillimetresWithInches();
    // Shows the size stored in `programFolder`; false when none could be read.
    bool loadSavedPageSize(const QString& programFolder);
    // Stores the size the fields show.
    void savePageSize(const QString& programFolder) const;

    // The size for a run: a value typed out of bounds counts as the bound.
    double widthMm() const;
    double heightMm() const;

private:
    void BreitEdChange();
    void HochEdChange();
    void WidthEdChange();
    void HeightEdChange();
    void FormatBtnClick(const convert::PagePreset& preset);
    void convertUnit(NumericSpinEdit* from, NumericSpinEdit* to, double factor);

    NumericSpinEdit* BreitEd;
    NumericSpinEdit* HochEd;
    NumericSpinEdit* WidthEd;
    NumericSpinEdit* HeightEd;
    QRadioButton* SetToHochCheck;
    QRadioButton* SetToQuerCheck;
    bool m_unitGuard = false;
};

} // namespace mainwin
