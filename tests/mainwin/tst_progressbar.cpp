// The progress bar in the status bar: what is on screen right after each
// progress value, without giving the event loop a chance to repaint.

#include "convert/WmUser.h"
#include "mainwin/MainUnit.h"
#include "mainwin/StatusBar.h"
#include "support/FormParts.h"

#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

using namespace convert;
using namespace mainwin;

class TestProgressBar : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void barCoversValuePerCentOfPanel_data();
    void barCoversValuePerCentOfPanel();
    void growingPaintsOverWithoutRepaint();
    void shrinkingRepaintsWholeBar();
    void progressMessageIsPaintedAtOnce();
    void widerWindowGivesWiderBar();

private:
    // The navy columns of the progress panel's middle row, as shown now.
    QList<int> navyColumns() const;
    static QList<int> range(int first, int last)
    {
        QList<int> columns;
        for (int c = first; c <= last; ++c)
            columns << c;
        return columns;
    }

    TMainForm* m_form = nullptr;
};

void TestProgressBar::init()
{
    m_form = new TMainForm;
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
    QCoreApplication::processEvents();
}

void TestProgressBar::cleanup()
{
    delete m_form;
}

QList<int> TestProgressBar::navyColumns() const
{
    const QImage shot = m_form->screen()->grabWindow(m_form->winId()).toImage();
    const QPoint origin =
        part<ProgressStatusBar>(m_form, "StatusBar1")->mapTo(m_form, QPoint(0, 0));
    const int y = origin.y() + part<ProgressStatusBar>(m_form, "StatusBar1")->height() / 2;
    QList<int> columns;
    for (int x = 0; x < part<ProgressStatusBar>(m_form, "StatusBar1")->width(); ++x)
        if (shot.pixelColor(origin.x() + x, y) == QColor(0, 0, 128))
            columns << x;
    return columns;
}

void TestProgressBar::barCoversValuePerCentOfPanel_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("lastColumn"); // -1: no bar
    // The panel's drawing rectangle runs from 252 to 592 at the window's first size.
    QTest::newRow("0") << 0 << -1;
    QTest::newRow("negative") << -20 << -1;
    QTest::newRow("50") << 50 << 421;
    QTest::newRow("99 truncates") << 99 << 587;
    QTest::newRow("100") << 100 << 591;
    QTest::newRow("over 100 stays in its panel") << 250 << 591;
}

void TestProgressBar::barCoversValuePerCentOfPanel()
{
    QFETCH(int, value);
    QFETCH(int, lastColumn);
    QCOMPARE(part<ProgressStatusBar>(m_form, "StatusBar1")->width(), 614);
    part<ProgressStatusBar>(m_form, "StatusBar1")->SetProStatus(value);
    const mainwin::ProgressStatusBar::Rect r =
        part<ProgressStatusBar>(m_form, "StatusBar1")->progressRect();
    QCOMPARE(r.left, 252);
    QCOMPARE(r.right, 592);
    QCOMPARE(navyColumns(), lastColumn < 0 ? QList<int>() : range(252, lastColumn));
}

void TestProgressBar::growingPaintsOverWithoutRepaint()
{
    QSignalSpy panelPaints(part<ProgressStatusBar>(m_form, "StatusBar1"), &StatusBar::drawPanel);
    part<ProgressStatusBar>(m_form, "StatusBar1")->SetProStatus(30);
    part<ProgressStatusBar>(m_form, "StatusBar1")->SetProStatus(80);
    QCOMPARE(panelPaints.count(), 0);
    QCOMPARE(navyColumns(), range(252, 252 + 340 * 80 / 100 - 1));
}

void TestProgressBar::shrinkingRepaintsWholeBar()
{
    part<ProgressStatusBar>(m_form, "StatusBar1")->SetProStatus(80);
    QSignalSpy panelPaints(part<ProgressStatusBar>(m_form, "StatusBar1"), &StatusBar::drawPanel);
    part<ProgressStatusBar>(m_form, "StatusBar1")->SetProStatus(30);
    QCOMPARE(panelPaints.count(), 1);
    QCOMPARE(navyColumns(), range(252, 252 + 340 * 30 / 100 - 1));
    QCOMPARE(part<ProgressStatusBar>(m_form, "StatusBar1")->progressValue(), 30);
}

void TestProgressBar::progressMessageIsPaintedAtOnce()
{
    WmUserEvent message(70, 0);
    QCoreApplication::sendEvent(m_form, &message);
    QCOMPARE(part<ProgressStatusBar>(m_form, "StatusBar1")->progressValue(), 70);
    QCOMPARE(navyColumns(), range(252, 252 + 238 - 1));
}

void TestProgressBar::widerWindowGivesWiderBar()
{
    part<ProgressStatusBar>(m_form, "StatusBar1")->SetProStatus(50);
    m_form->resize(m_form->width() + 200, m_form->height());
    QTRY_COMPARE(part<ProgressStatusBar>(m_form, "StatusBar1")->progressRect().right, 792);
    QCOMPARE(navyColumns(), range(252, 252 + 540 / 2 - 1));
    // The first panel keeps its width; nothing is drawn into it.
    QCOMPARE(part<ProgressStatusBar>(m_form, "StatusBar1")->progressRect().left, 252);
}

QTEST_MAIN(TestProgressBar)
#include "tst_progressbar.moc"
