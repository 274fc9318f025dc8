// The page-size page and the resolution field: text as value, the two units
// kept in step, the presets and the orientation.

#include "mainwin/MainUnit.h"
#include "mainwin/NumericSpinEdit.h"
#include "support/FormParts.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

using namespace mainwin;

class TestPageSize : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startUpShowsLetterFromInchFields();
    void presets_data();
    void presets();
    void portraitAfterLandscapeChangesNothingUntilPreset();
    void typedInchesConvertThroughMillimetres();
    void typingUpdatesPartnerAtEveryKeystroke();
    void textThatIsNotANumberReadsAsMinimum();
    void leavingFieldClampsTypedValue_data();
    void leavingFieldClampsTypedValue();
    void arrowsStep();
    void localeDecimalSeparator();

private:
    void showPage();
    static void typeInto(NumericSpinEdit* field, const QString& text)
    {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
    }

    TMainForm* m_form = nullptr;
};

void TestPageSize::init()
{
    m_form = new TMainForm;
}

void TestPageSize::cleanup()
{
    delete m_form;
}

void TestPageSize::showPage()
{
    part<QTabWidget>(m_form, "PageControl2")->setCurrentIndex(3);
    m_form->show();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
}

void TestPageSize::startUpShowsLetterFromInchFields()
{
    QCOMPARE(part<NumericSpinEdit>(m_form, "BreitEd")->text(), QStringLiteral("215.90"));
    QCOMPARE(part<NumericSpinEdit>(m_form, "HochEd")->text(), QStringLiteral("279.40"));
    QCOMPARE(part<NumericSpinEdit>(m_form, "WidthEd")->text(), QStringLiteral("8.50"));
    QCOMPARE(part<NumericSpinEdit>(m_form, "HeightEd")->text(), QStringLiteral("11.00"));
    QVERIFY(part<QRadioButton>(m_form, "SetToHochCheck")->isChecked());
    QVERIFY(!part<QRadioButton>(m_form, "SetToQuerCheck")->isChecked());
}

void TestPageSize::presets_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<QStringList>("shown"); // mm width, mm height, in width, in height
    using L = QStringList;
    QTest::newRow("A4") << "FormatA4Btn" << false << L{"210.00", "297.00", "8.27", "11.69"};
    QTest::newRow("A4 landscape") << "FormatA4Btn" << true
                                  << L{"297.00", "210.00", "11.69", "8.27"};
    QTest::newRow("letter") << "FormatLetterBtn" << false << L{"215.90", "279.40", "8.50", "11.00"};
    QTest::newRow("legal") << "FormatLegalBtn" << false << L{"215.90", "355.60", "8.50", "14.00"};
    QTest::newRow("executive") << "FormatExecutiveBtn" << false
                               << L{"184.15", "266.70", "7.25", "10.50"};
    QTest::newRow("tabloid") << "FormatTabloidBtn" << false
                             << L{"279.40", "431.80", "11.00", "17.00"};
    QTest::newRow("tabloid landscape")
        << "FormatTabloidBtn" << true << L{"431.80", "279.40", "17.00", "11.00"};
    QTest::newRow("A5 is 148.5 wide")
        << "FormatA5Btn" << false << L{"148.50", "210.00", "5.85", "8.27"};
    QTest::newRow("A3") << "FormatA3Btn" << false << L{"297.00", "420.00", "11.69", "16.54"};
}

void TestPageSize::presets()
{
    QFETCH(QString, button);
    QFETCH(bool, landscape);
    QFETCH(QStringList, shown);
    showPage();
    if (landscape)
        QTest::mouseClick(part<QRadioButton>(m_form, "SetToQuerCheck"), Qt::LeftButton);
    QCOMPARE(part<QRadioButton>(m_form, "SetToQuerCheck")->isChecked(), landscape);
    auto* preset = m_form->findChild<QPushButton*>(button);
    QVERIFY(preset);
    QTest::mouseClick(preset, Qt::LeftButton);
    QCOMPARE(QStringList({part<NumericSpinEdit>(m_form, "BreitEd")->text(),
                          part<NumericSpinEdit>(m_form, "HochEd")->text(),
                          part<NumericSpinEdit>(m_form, "WidthEd")->text(),
                          part<NumericSpinEdit>(m_form, "HeightEd")->text()}),
             shown);
}

void TestPageSize::portraitAfterLandscapeChangesNothingUntilPreset()
{
    showPage();
    QTest::mouseClick(part<QRadioButton>(m_form, "SetToQuerCheck"), Qt::LeftButton);
    part<QPushButton>(m_form, "FormatA4Btn")->click();
    QTest::mouseClick(part<QRadioButton>(m_form, "SetToHochCheck"), Qt::LeftButton);
    QCOMPARE(part<NumericSpinEdit>(m_form, "BreitEd")->text(), QStringLiteral("297.00"));
    QCOMPARE(part<NumericSpinEdit>(m_form, "HochEd")->text(), QStringLiteral("210.00"));
    part<QPushButton>(m_form, "FormatA4Btn")->click();
    QCOMPARE(part<NumericSpinEdit>(m_form, "BreitEd")->text(), QStringLiteral("210.00"));
    QCOMPARE(part<NumericSpinEdit>(m_form, "HochEd")->text(), QStringLiteral("297.00"));
}

void TestPageSize::typedInchesConvertThroughMillimetres()
{
    showPage();
    typeInto(part<NumericSpinEdit>(m_form, "WidthEd"), QStringLiteral("8.27"));
    QCOMPARE(part<NumericSpinEdit>(m_form, "BreitEd")->text(), QStringLiteral("210.06"));
    QCOMPARE(part<NumericSpinEdit>(m_form, "WidthEd")->text(), QStringLiteral("8.27"));

    // 10000 inches is far beyond the millimetre maximum: the units disagree.
    typeInto(part<NumericSpinEdit>(m_form, "HeightEd"), QStringLiteral("10000"));
    QCOMPARE(part<NumericSpinEdit>(m_form, "HochEd")->text(), QStringLiteral("10000.00"));
    QCOMPARE(part<NumericSpinEdit>(m_form, "HeightEd")->text(), QStringLiteral("10000"));

    // A preset that leaves the millimetres as they were still puts the
    // inches in line.
    typeInto(part<NumericSpinEdit>(m_form, "WidthEd"), QStringLiteral("8.2677"));
    QCOMPARE(part<NumericSpinEdit>(m_form, "BreitEd")->text(), QStringLiteral("210.00"));
    part<QPushButton>(m_form, "FormatA4Btn")->click();
    QCOMPARE(part<NumericSpinEdit>(m_form, "WidthEd")->text(), QStringLiteral("8.27"));
}

void TestPageSize::typingUpdatesPartnerAtEveryKeystroke()
{
    showPage();
    part<NumericSpinEdit>(m_form, "BreitEd")->setFocus();
    part<NumericSpinEdit>(m_form, "BreitEd")->selectAll();
    QTest::keyClick(part<NumericSpinEdit>(m_form, "BreitEd"), Qt::Key_1);
    // 1 mm is below the inch field's minimum, but the typed text stays.
    QCOMPARE(part<NumericSpinEdit>(m_form, "BreitEd")->text(), QStringLiteral("1"));
    QCOMPARE(part<NumericSpinEdit>(m_form, "WidthEd")->text(), QStringLiteral("0.50"));
    QTest::keyClicks(part<NumericSpinEdit>(m_form, "BreitEd"), QStringLiteral("00"));
    QCOMPARE(part<NumericSpinEdit>(m_form, "BreitEd")->text(), QStringLiteral("100"));
    QCOMPARE(part<NumericSpinEdit>(m_form, "WidthEd")->text(), QStringLiteral("3.94"));
}

void TestPageSize::textThatIsNotANumberReadsAsMinimum()
{
    showPage();
    typeInto(part<NumericSpinEdit>(m_form, "BreitEd"), QStringLiteral("abc"));
    QCOMPARE(part<NumericSpinEdit>(m_form, "BreitEd")->value(), 10.0);
    QCOMPARE(part<NumericSpinEdit>(m_form, "WidthEd")->text(), QStringLiteral("0.50"));

    typeInto(part<NumericSpinEdit>(m_form, "WidthEd"), QStringLiteral("-"));
    QCOMPARE(part<NumericSpinEdit>(m_form, "BreitEd")->text(), QStringLiteral("12.70"));

    part<NumericSpinEdit>(m_form, "DPIED")->setText(QStringLiteral("72.5"));
    QCOMPARE(part<NumericSpinEdit>(m_form, "DPIED")->value(), 10.0);
}

void TestPageSize::leavingFieldClampsTypedValue_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("left");
    QTest::newRow("below mm") << "BreitEd"
                              << "5"
                              << "10.00";
    QTest::newRow("above mm") << "HochEd"
                              << "20000"
                              << "10000.00";
    QTest::newRow("below inches") << "WidthEd"
                                  << "0.1"
                                  << "0.50";
    QTest::newRow("inside stays as typed") << "BreitEd"
                                           << "123.456"
                                           << "123.456";
    QTest::newRow("below dpi") << "DPIED"
                               << "5"
                               << "10";
    QTest::newRow("above dpi") << "DPIED"
                               << "200000"
                               << "100000";
}

void TestPageSize::leavingFieldClampsTypedValue()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, left);
    auto* edit = m_form->findChild<NumericSpinEdit*>(field);
    QVERIFY(edit);
    showPage();
    const bool dpi = field == QLatin1String("DPIED");
    part<QTabWidget>(m_form, "PageControl2")->setCurrentIndex(dpi ? 2 : 3);
    typeInto(edit, typed);
    QCOMPARE(edit->text(), typed);
    // Leave the field for a neighbour on the same page.
    (dpi ? static_cast<QWidget*>(part<QPushButton>(m_form, "BitBtn1"))
         : part<QRadioButton>(m_form, "SetToHochCheck"))
        ->setFocus();
    QCOMPARE(edit->text(), left);
}

void TestPageSize::arrowsStep()
{
    showPage();
    part<NumericSpinEdit>(m_form, "BreitEd")->setFocus();
    QTest::keyClick(part<NumericSpinEdit>(m_form, "BreitEd"), Qt::Key_Up);
    QCOMPARE(part<NumericSpinEdit>(m_form, "BreitEd")->text(), QStringLiteral("216.90"));
    QCOMPARE(part<NumericSpinEdit>(m_form, "WidthEd")->text(), QStringLiteral("8.54"));

    part<QTabWidget>(m_form, "PageControl2")->setCurrentIndex(2);
    part<NumericSpinEdit>(m_form, "DPIED")->setFocus();
    QTest::keyClick(part<NumericSpinEdit>(m_form, "DPIED"), Qt::Key_Up);
    QCOMPARE(part<NumericSpinEdit>(m_form, "DPIED")->text(), QStringLiteral("82"));
    part<NumericSpinEdit>(m_form, "DPIED")->setValue(15);
    QTest::keyClick(part<NumericSpinEdit>(m_form, "DPIED"), Qt::Key_Down);
    QCOMPARE(part<NumericSpinEdit>(m_form, "DPIED")->text(), QStringLiteral("10"));
    QTest::mouseClick(part<QPushButton>(m_form, "BitBtn1"), Qt::LeftButton);
    QCOMPARE(part<NumericSpinEdit>(m_form, "DPIED")->text(), QStringLiteral("300"));
}

void TestPageSize::localeDecimalSeparator()
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    TMainForm french;
    QLocale::setDefault(previous);
    QCOMPARE(part<NumericSpinEdit>(&french, "BreitEd")->text(), QStringLiteral("215,90"));
    part<NumericSpinEdit>(&french, "WidthEd")->setText(QStringLiteral("8,27"));
    QCOMPARE(part<NumericSpinEdit>(&french, "BreitEd")->text(), QStringLiteral("210,06"));
    QCOMPARE(part<NumericSpinEdit>(&french, "BreitEd")->value(), 210.06);
}

QTEST_MAIN(TestPageSize)
#include "tst_pagesize.moc"
