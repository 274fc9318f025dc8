// The about box: its fixed contents and how it closes.

#include "mainwin/AboutBoxUnit.h"
#include "mainwin/PageDecor.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace mainwin;

class TestAboutBox : public QObject
{
    Q_OBJECT
private slots:
    void contents();
    void enterClosesEscapeDoesNot();
    void closeBoxCloses();
};

void TestAboutBox::contents()
{
    TAboutBox box(nullptr);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QCOMPARE(box.windowTitle(), QStringLiteral("Info."));
    QCOMPARE(box.size(), QSize(298, 213));
    QCOMPARE(box.minimumSize(), box.maximumSize()); // not resizable
    QCOMPARE(box.Panel1->geometry(), QRect(8, 8, 281, 161));
    QCOMPARE(box.Panel1->grab().toImage().pixelColor(140, 80), QColor(240, 202, 166));
    QCOMPARE(box.ProgramIcon->geometry(), QRect(8, 16, 33, 33));
    QVERIFY(!box.ProgramIcon->pixmap().isNull());
    QCOMPARE(box.ProductName->text(), QStringLiteral("Quorvex Folivant"));
    QVERIFY(box.ProductName->font().bold());
    QCOMPARE(box.ProductName->pos(), QPoint(56, 16));
    QCOMPARE(box.Version->text(), QStringLiteral("Version 2.0.0.0"));
    QCOMPARE(box.Version->pos(), QPoint(88, 40));
    QVERIFY(box.Comments->text().startsWith("Ce logiciel est développé par Quorvex ("));
    QVERIFY(box.Comments->wordWrap());
    QCOMPARE(box.Comments->geometry(), QRect(8, 96, 257, 33));
    QCOMPARE(box.Label1->text(), QStringLiteral("Date de publication (mm/jj/aaaa) : 12/12/2003"));
    QCOMPARE(box.Label1->pos(), QPoint(8, 136));
    QCOMPARE(box.BitBtn1->text(), QStringLiteral("OK"));
    QCOMPARE(box.BitBtn1->geometry(), QRect(107, 180, 83, 25));
    QVERIFY(box.BitBtn1->isDefault());
    QVERIFY(!box.BitBtn1->icon().isNull());
}

void TestAboutBox::enterClosesEscapeDoesNot()
{
    TAboutBox box(nullptr);
    int escapesSeen = 0;
    QTimer::singleShot(0, &box, [&] {
        QTest::keyClick(&box, Qt::Key_Escape);
        escapesSeen = box.isVisible() ? 1 : 0;
        QTest::keyClick(&box, Qt::Key_Return);
    });
    QTimer::singleShot(5000, &box, &QDialog::reject); // never hang
    QCOMPARE(box.exec(), int(QDialog::Accepted));
    QCOMPARE(escapesSeen, 1);
}

void TestAboutBox::closeBoxCloses()
{
    TAboutBox box(nullptr);
    QTimer::singleShot(0, &box, [&] { box.close(); });
    QCOMPARE(box.exec(), int(QDialog::Rejected));
}

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
