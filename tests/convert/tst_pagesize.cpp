// Points arithmetic, presets and the spin fields' text model.

#include "convert/NumericText.h"
#include "convert/PageSize.h"

#include <QTest>

using namespace convert;

class TestPageSize : public QObject
{
    Q_OBJECT
private slots:
    void points_data();
    void points();
    void presets_data();
    void presets();
    void readText_data();
    void readText();
    void formatValue_data();
    void formatValue();
};

void TestPageSize::points_data()
{
    QTest::addColumn<double>("mm");
    QTest::addColumn<int>("points");
    QTest::newRow("A4 width") << 210.0 << 595;
    QTest::newRow("A4 height") << 297.0 << 842;
    QTest::newRow("Letter width as shown") << 215.90 << 612;
    QTest::newRow("Letter height as shown") << 279.40 << 792;
    QTest::newRow("A3 height") << 420.0 << 1191;
    QTest::newRow("A5 width 148.5") << 148.5 << 421;
    // With 25.4 instead of 25.39995 these two would fall on the other side.
    QTest::newRow("one inch") << 25.39995 << 72;
    // Sizes that come to exactly n + 0.5 points go to the even neighbour.
    QTest::newRow("half, even below") << 30.5 * MmPerInch / 72 << 30;
    QTest::newRow("half, even above") << 29.5 * MmPerInch / 72 << 30;
    QTest::newRow("field minimum") << 10.0 << 28;
    QTest::newRow("field maximum") << 10000.0 << 28347;
    QTest::newRow("not a number") << qQNaN() << 0;
}

void TestPageSize::points()
{
    QFETCH(double, mm);
    QFETCH(int, points);
    QCOMPARE(mmToPoints(mm), points);
}

void TestPageSize::presets_data()
{
    QTest::addColumn<int>("row"); // the order of the buttons on the page
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("mmShown");
    QTest::addColumn<QString>("inchesShown");
    QTest::addColumn<int>("widthPt");
    QTest::addColumn<int>("heightPt");
    QTest::newRow("A4") << 0 << "a4"
                        << "Format A4"
                        << "210.00x297.00"
                        << "8.27x11.69" << 595 << 842;
    QTest::newRow("Letter") << 1 << "letter"
                            << "Format lettre US"
                            << "215.90x279.40"
                            << "8.50x11.00" << 612 << 792;
    QTest::newRow("Legal") << 2 << "legal"
                           << "Format légal US"
                           << "215.90x355.60"
                           << "8.50x14.00" << 612 << 1008;
    QTest::newRow("Executive") << 3 << "executive"
                               << "Format executive US"
                               << "184.15x266.70"
                               << "7.25x10.50" << 522 << 756;
    QTest::newRow("Tabloid") << 4 << "tabloid"
                             << "Format tabloïd"
                             << "279.40x431.80"
                             << "11.00x17.00" << 792 << 1224;
    QTest::newRow("A5") << 5 << "a5"
                        << "Format A5"
                        << "148.50x210.00"
                        << "5.85x8.27" << 421 << 595;
    QTest::newRow("A3") << 6 << "a3"
                        << "Format A3"
                        << "297.00x420.00"
                        << "11.69x16.54" << 842 << 1191;
}

void TestPageSize::presets()
{
    QFETCH(int, row);
    QFETCH(QString, id);
    QFETCH(QString, caption);
    QFETCH(QString, mmShown);
    QFETCH(QString, inchesShown);
    QFETCH(int, widthPt);
    QFETCH(int, heightPt);

    const auto& all = pagePresets();
    QCOMPARE(all.size(), size_t(7));
    const PagePreset& p = all[size_t(row)];
    QCOMPARE(QString::fromLatin1(p.id), id);
    QCOMPARE(findPagePreset(id), &p);
    QCOMPARE(p.caption, caption);

    // What the fields show: millimetres through the field's two decimals,
    // inches from those millimetres.
    const QLocale c = QLocale::c();
    const NumericBounds mmField{10, 10000, 2};
    const NumericBounds inchField{0.5, 10000, 2};
    const QString wText = formatNumericValue(p.widthMm, mmField, c);
    const QString hText = formatNumericValue(p.heightMm, mmField, c);
    QCOMPARE(wText + "x" + hText, mmShown);
    const double w = readNumericText(wText, mmField, c);
    const double h = readNumericText(hText, mmField, c);
    QCOMPARE(formatNumericValue(w / MmPerInch, inchField, c) + "x" +
                 formatNumericValue(h / MmPerInch, inchField, c),
             inchesShown);
    QCOMPARE(mmToPoints(w), widthPt);
    QCOMPARE(mmToPoints(h), heightPt);
}

void TestPageSize::readText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<double>("value");
    // min 10, max 10000 for every row
    QTest::newRow("plain") << "210.5" << 2 << "C" << 210.5;
    QTest::newRow("french comma") << "210,5" << 2 << "fr_FR" << 210.5;
    QTest::newRow("dot in a comma locale") << "210.5" << 2 << "fr_FR" << 10.0;
    QTest::newRow("word") << "abc" << 2 << "C" << 10.0;
    QTest::newRow("empty") << "" << 2 << "C" << 10.0;
    QTest::newRow("trailing junk") << "12x" << 2 << "C" << 10.0;
    QTest::newRow("blanks around") << " 42 " << 2 << "C" << 42.0;
    QTest::newRow("below: kept for the field to clamp") << "3" << 2 << "C" << 3.0;
    QTest::newRow("above: kept for the field to clamp") << "20000" << 2 << "C" << 20000.0;
    QTest::newRow("infinity is not a number") << "inf" << 2 << "C" << 10.0;
    QTest::newRow("integer field whole") << "300" << 0 << "C" << 300.0;
    QTest::newRow("integer field fraction") << "72.5" << 0 << "C" << 10.0;
    QTest::newRow("integer field word") << "haut" << 0 << "C" << 10.0;
}

void TestPageSize::readText()
{
    QFETCH(QString, text);
    QFETCH(int, decimals);
    QFETCH(QString, localeName);
    QFETCH(double, value);
    const NumericBounds b{10, 10000, decimals};
    QCOMPARE(readNumericText(text, b, QLocale(localeName)), value);
}

void TestPageSize::formatValue_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("localeName");
    QTest::addColumn<QString>("text");
    QTest::newRow("two decimals") << 215.9 << 2 << "C"
                                  << "215.90";
    QTest::newRow("french") << 215.9 << 2 << "fr_FR"
                            << "215,90";
    QTest::newRow("no thousands separator") << 9999.5 << 2 << "en_US"
                                            << "9999.50";
    QTest::newRow("clamped low") << 0.5 << 2 << "C"
                                 << "10.00";
    QTest::newRow("clamped high") << 25400.0 << 2 << "C"
                                  << "10000.00";
    QTest::newRow("rounded") << 210.0555 << 2 << "C"
                             << "210.06";
    QTest::newRow("not a number") << qQNaN() << 2 << "C"
                                  << "10.00";
    QTest::newRow("integer") << 300.0 << 0 << "C"
                             << "300";
    QTest::newRow("integer clamped") << 200000.0 << 0 << "en_US"
                                     << "10000";
}

void TestPageSize::formatValue()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, localeName);
    QFETCH(QString, text);
    const NumericBounds b{10, 10000, decimals};
    QCOMPARE(formatNumericValue(value, b, QLocale(localeName)), text);
}

QTEST_GUILESS_MAIN(TestPageSize)
#include "tst_pagesize.moc"
