#include "mainwin/PageSizePage.h"

#include "convert/NumericText.h"
#include "convert/PageSize.h"
#include "mainwin/NumericSpinEdit.h"
#include "mainwin/SettingsFiles.h"

#include <QPushButton>
#include <QRadioButton>

namespace mainwin {

namespace {
// Each preset's button, top to bottom in two groups: the inch sizes, then
// the millimetre ones.
struct PresetButton
{
    const char* presetId;
    const char* name;
    int y;
};
constexpr PresetButton PresetButtons[] = {
    {"legal", "FormatLegalBtn", 64},
    {"letter", "FormatLetterBtn", 96},
    {"executive", "FormatExecutiveBtn", 128},
    {"tabloid", "FormatTabloidBtn", 160},
    {"a4", "FormatA4Btn", 200},
    {"a5", "FormatA5Btn", 232},
    {"a3", "FormatA3Btn", 264},
};
} // namespace

PageSizePage::PageSizePage(QWidget* parent)
    : PageSheet(QStringLiteral("TabSheet4"),
                QStringLiteral("Taille de la page - Ajuster la taille des pages du fichier PDF"),
                QStringLiteral("side_pages"), QStringLiteral("Taille de la page..."), parent)
{
    PlacedArea* area = this->area();
    const convert::NumericBounds mm{10, 10000, 2};
    const convert::NumericBounds inches{0.5, 10000, 2};
    placedLabel(QStringLiteral("Largeur:"), area, 8, 8, "Label7");
    BreitEd = placed(new NumericSpinEdit(mm, 1, area), "BreitEd", 72, 8, 73, 21);
    placedLabel(QStringLiteral("mm ="), area, 152, 8, "Label10");
    WidthEd = placed(new NumericSpinEdit(inches, 1, area), "WidthEd", 184, 8, 73, 21);
    placedLabel(QStringLiteral("pouces"), area, 264, 8, "Label9");
    placedLabel(QStringLiteral("Hauteur:"), area, 8, 32, "Label8");
    HochEd = placed(new NumericSpinEdit(mm, 1, area), "HochEd", 72, 32, 73, 21);
    placedLabel(QStringLiteral("mm ="), area, 152, 32, "Label11");
    HeightEd = placed(new NumericSpinEdit(inches, 1, area), "HeightEd", 184, 32, 73, 21);
    placedLabel(QStringLiteral("pouces"), area, 264, 32, "Label12");
    // The values the page is built with; start-up recomputes them.
    BreitEd->setValue(210);
    HochEd->setValue(297);
    WidthEd->setValue(8.5);
    HeightEd->setValue(11);
    connect(BreitEd, &NumericSpinEdit::changed, this, [this] { BreitEdChange(); });
    connect(HochEd, &NumericSpinEdit::changed, this, [this] { HochEdChange(); });
    connect(WidthEd, &NumericSpinEdit::changed, this, [this] { WidthEdChange(); });
    connect(HeightEd, &NumericSpinEdit::changed, this, [this] { HeightEdChange(); });

    SetToHochCheck = placed(new QRadioButton(QStringLiteral("Format portrait"), area),
                            "SetToHochCheck", 160, 56, 177, 17);
    SetToQuerCheck = placed(new QRadioButton(QStringLiteral("Format paysage"), area),
                            "SetToQuerCheck", 160, 72, 177, 17);
    SetToHochCheck->setChecked(true);

    for (const PresetButton& place : PresetButtons) {
        const convert::PagePreset* preset =
            convert::findPagePreset(QString::fromLatin1(place.presetId));
        Q_ASSERT(preset);
        auto* button =
            placed(new QPushButton(preset->caption, area), place.name, 8, place.y, 137, 25);
        connect(button, &QPushButton::clicked, this, [this, preset] { FormatBtnClick(*preset); });
    }
}

void PageSizePage::alignMillimetresWithInches()
{
    WidthEdChange();
    HeightEdChange();
}

bool PageSizePage::loadSavedPageSize(const QString& programFolder)
{
    const auto stored = loadPageSize(programFolder);
    if (!stored)
        return false;
    // A short file gives a whole first value at most; what is missing keeps
    // its start-up value.
    if (stored->widthMm)
        BreitEd->setValue(*stored->widthMm);
    if (stored->heightMm)
        HochEd->setValue(*stored->heightMm);
    BreitEdChange();
    HochEdChange();
    return true;
}

void PageSizePage::savePageSize(const QString& programFolder) const
{
    // What the fields show, even where the field with the focus still holds
    // a typed third decimal or an out-of-range value.
    mainwin::savePageSize(programFolder, BreitEd->settledValue(), HochEd->settledValue());
}

double PageSizePage::widthMm() const
{
    return convert::clampToBounds(BreitEd->value(), BreitEd->bounds());
}

double PageSizePage::heightMm() const
{
    return convert::clampToBounds(HochEd->value(), HochEd->bounds());
}

void PageSizePage::convertUnit(NumericSpinEdit* from, NumericSpinEdit* to, double factor)
{
    if (m_unitGuard)
        return;
    m_unitGuard = true;
    to->setValue(factor > 0 ? from->value() * factor : from->value() / -factor);
    m_unitGuard = false;
}

// A negative factor divides by its magnitude, so millimetres are divided by
// the very constant that inches are multiplied with.
void PageSizePage::BreitEdChange()
{
    convertUnit(BreitEd, WidthEd, -convert::MmPerInch);
}

void PageSizePage::HochEdChange()
{
    convertUnit(HochEd, HeightEd, -convert::MmPerInch);
}

void PageSizePage::WidthEdChange()
{
    convertUnit(WidthEd, BreitEd, convert::MmPerInch);
}

void PageSizePage::HeightEdChange()
{
    convertUnit(HeightEd, HochEd, convert::MmPerInch);
}

void PageSizePage::FormatBtnClick(const convert::PagePreset& preset)
{
    BreitEd->setValue(preset.widthMm);
    HochEd->setValue(preset.heightMm);
    if (SetToQuerCheck->isChecked()) {
        const double width = BreitEd->value();
        const double height = HochEd->value();
        BreitEd->setValue(height);
        HochEd->setValue(width);
    }
}

} // namespace mainwin
