// The window as a whole: start-up state, resizing, closing, keyboard.

#include "mainwin/FilenameEdit.h"
#include "mainwin/LogMemo.h"
#include "mainwin/MainUnit.h"
#include "mainwin/NumericSpinEdit.h"
#include "mainwin/PageDecor.h"
#include "mainwin/PictureImage.h"
#include "mainwin/SettingsFiles.h"
#include "mainwin/StatusBar.h"
#include "platform/MessageBox.h"
#include "support/FormParts.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionComboBox>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

using namespace mainwin;

class TestMainForm : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startUpState();
    void resizingMovesOnlyWhatFollowsTheWindow();
    void closingAsksFirst_data();
    void closingAsksFirst();
    void logOffQuery();
    void logOffRefusedElsewhereAsksAgainAndSavesLatest();
    void closeSavesWhatFieldsShow_data();
    void closeSavesWhatFieldsShow();
    void escapeRemovesSelectedSourcesOnlyOnItsPage_data();
    void escapeRemovesSelectedSourcesOnlyOnItsPage();
    void altShortcutsWorkOnTheirPage();
    void homePageButtonOpensAddress();
    void tabsLightUpUnderThePointer();

private:
    void fillSources()
    {
        part<QListWidget>(m_form, "ListBox1")->addItems({"/a.ps", "/b.ps", "/c.ps", "/d.ps"});
        part<QListWidget>(m_form, "ListBox1")->item(0)->setSelected(true);
        part<QListWidget>(m_form, "ListBox1")->item(2)->setSelected(true);
    }
    QStringList sources() const
    {
        QStringList items;
        for (int i = 0; i < part<QListWidget>(m_form, "ListBox1")->count(); ++i)
            items << part<QListWidget>(m_form, "ListBox1")->item(i)->text();
        return items;
    }
    void showActive()
    {
        m_form->show();
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form));
    }

    TMainForm* m_form = nullptr;
    QList<platform::MessageRequest> m_boxes;
    platform::MsgAnswer m_answer = platform::MsgAnswer::Cancel;
};

void TestMainForm::init()
{
    m_boxes.clear();
    m_answer = platform::MsgAnswer::Cancel;
    platform::setMessageHandler([this](const platform::MessageRequest& request) {
        m_boxes << request;
        return m_answer;
    });
    m_form = new TMainForm;
}

void TestMainForm::cleanup()
{
    delete m_form;
    platform::setMessageHandler({});
}

void TestMainForm::startUpState()
{
    m_form->centreOnScreen();
    showActive();
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Quorvex Folivant 2.0"));
    const QRect screen = m_form->screen()->availableGeometry();
    // Centred with the frame that the window manager adds; without one (as
    // here) the client area is off by at most half the frame.
    const QPoint middle = m_form->frameGeometry().center();
    QVERIFY(qAbs(middle.x() - screen.center().x()) <= TMainForm::FrameWidth / 2 + 1);
    QVERIFY(qAbs(middle.y() - screen.center().y()) <= TMainForm::FrameHeight / 2 + 1);

    QCOMPARE(part<QTabWidget>(m_form, "PageControl2")->count(), 4);
    QCOMPARE(part<QTabWidget>(m_form, "PageControl2")->currentIndex(), 1);
    QCOMPARE(part<QTabWidget>(m_form, "PageControl2")->tabText(1),
             QStringLiteral("Choisir un fichier PostScript"));
    QCOMPARE(part<QComboBox>(m_form, "KompatBox")->currentIndex(), 0);
    QCOMPARE(part<QComboBox>(m_form, "OptiBox")->currentIndex(), 0);
    QCOMPARE(part<NumericSpinEdit>(m_form, "DPIED")->text(), QStringLiteral("72"));
    QCOMPARE(part<QListWidget>(m_form, "ListBox1")->count(), 0);
    QCOMPARE(part<FilenameEdit>(m_form, "FilenameEdit2")->fileName(), QString());
    QCOMPARE(part<ProgressStatusBar>(m_form, "StatusBar1")->progressValue(), 0);
    QVERIFY(!platform::programFolder().isEmpty());
    QVERIFY(platform::programFolder().endsWith('/'));
    for (const char* name : {"GoBtn1", "ueberbtn", "EndeBtn"})
        QVERIFY(!m_form->findChild<QWidget*>(name)->isHidden());
    for (const char* name : {"GoBtn1Down", "ueberBtn2", "EndeBtnDown"})
        QVERIFY(m_form->findChild<QWidget*>(name)->isHidden());

    // The closed compatibility box shows each entry whole at the width it is laid out with.
    QComboBox* kompat = part<QComboBox>(m_form, "KompatBox");
    QCOMPARE(kompat->width(), 289);
    QStyleOptionComboBox option;
    option.initFrom(kompat);
    const QRect field =
        kompat->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField);
    for (int i = 0; i < kompat->count(); ++i)
        QVERIFY2(kompat->fontMetrics().horizontalAdvance(kompat->itemText(i)) <= field.width() - 2,
                 qPrintable(kompat->itemText(i)));
}

void TestMainForm::resizingMovesOnlyWhatFollowsTheWindow()
{
    part<QTabWidget>(m_form, "PageControl2")->setCurrentIndex(2);
    showActive();
    const QRect list = part<QListWidget>(m_form, "ListBox1")->geometry();
    const QRect go = part<PictureImage>(m_form, "GoBtn1")->geometry();
    const QRect wwwBtn = part<QToolButton>(m_form, "wwwBtn")->geometry();
    const QSize before = m_form->size();
    m_form->resize(before + QSize(150, 100));
    QTRY_COMPARE(part<ProgressStatusBar>(m_form, "StatusBar1")->width(), before.width() + 150);

    // Follow the window: pages, header bands, the side panel's height, the
    // log's width (at the foot of its area), the status bar, the right group.
    QCOMPARE(part<QTabWidget>(m_form, "PageControl2")->width(), m_form->width());
    QCOMPARE(part<ProgressStatusBar>(m_form, "StatusBar1")->geometry().bottom(),
             m_form->centralWidget()->height() - 1);
    QCOMPARE(part<PageSheet>(m_form, "TabSheet3")->header()->width(),
             part<PageSheet>(m_form, "TabSheet3")->width());
    QCOMPARE(part<PageSheet>(m_form, "TabSheet3")->header()->height(), 33);
    part<QTabWidget>(m_form, "PageControl2")->setCurrentIndex(3);
    QCOMPARE(part<PageSheet>(m_form, "TabSheet4")->sidePanel()->width(), 209);
    QCOMPARE(part<PageSheet>(m_form, "TabSheet4")->sidePanel()->geometry().bottom(),
             part<PageSheet>(m_form, "TabSheet4")->height() - 1);
    QWidget* area = part<PageSheet>(m_form, "TabSheet3")->area();
    QCOMPARE(part<LogMemo>(m_form, "Memo1")->geometry(),
             QRect(0, area->height() - 77, area->width(), 77));
    QCOMPARE(part<QWidget>(m_form, "Panel8")->geometry().right(),
             part<QWidget>(m_form, "Panel7")->width() - 1);
    QCOMPARE(part<QWidget>(m_form, "Panel7")->height(), 41);
    QCOMPARE(part<ProgressStatusBar>(m_form, "StatusBar1")->height(), 19);
    // Keep their place and size.
    QCOMPARE(part<QListWidget>(m_form, "ListBox1")->geometry(), list);
    QCOMPARE(part<PictureImage>(m_form, "GoBtn1")->geometry(), go);
    QCOMPARE(part<QToolButton>(m_form, "wwwBtn")->geometry(), wwwBtn);
    QCOMPARE(part<PictureImage>(m_form, "EndeBtn")->geometry(), QRect(105, 4, 101, 30));
}

void TestMainForm::closingAsksFirst_data()
{
    QTest::addColumn<bool>("ok");
    QTest::newRow("cancel") << false;
    QTest::newRow("ok") << true;
}

void TestMainForm::closingAsksFirst()
{
    QFETCH(bool, ok);
    showActive();
    m_answer = ok ? platform::MsgAnswer::Ok : platform::MsgAnswer::Cancel;
    // The close box, the system menu, Alt+F4 and the task bar all come as a
    // close request.
    m_form->close();
    QCOMPARE(m_boxes.size(), 1);
    QCOMPARE(m_boxes[0].text, QStringLiteral("Vous quittez le programme"));
    QCOMPARE(m_boxes[0].caption, QStringLiteral("Quitter le programme"));
    QCOMPARE(m_boxes[0].icon, platform::MsgIcon::Information);
    QCOMPARE(m_boxes[0].buttons, platform::MsgButtons::OkCancel);
    QCOMPARE(m_form->isVisible(), !ok);

    // The quit button asks the same question.
    if (!ok) {
        QTest::mouseClick(part<PictureImage>(m_form, "EndeBtn"), Qt::LeftButton, {},
                          QPoint(50, 15));
        QCOMPARE(m_boxes.size(), 2);
        QVERIFY(m_form->isVisible());
    }
}

void TestMainForm::logOffQuery()
{
    showActive();
    QVERIFY(!m_form->queryEndSession());
    QCOMPARE(m_boxes.size(), 1);
    QVERIFY(m_form->isVisible());

    m_answer = platform::MsgAnswer::Ok;
    QVERIFY(m_form->queryEndSession());
    // Confirmed once: the close that the session sends does not ask again.
    m_form->close();
    QCOMPARE(m_boxes.size(), 2);
    QVERIFY(!m_form->isVisible());
}

void TestMainForm::logOffRefusedElsewhereAsksAgainAndSavesLatest()
{
    showActive();
    m_answer = platform::MsgAnswer::Ok;
    QVERIFY(m_form->queryEndSession());
    // Another program refuses the log-off: the window lives on, and the
    // user's own quit asks again.
    part<QPushButton>(m_form, "FormatA5Btn")->click();
    m_answer = platform::MsgAnswer::Cancel;
    QTest::mouseClick(part<PictureImage>(m_form, "EndeBtn"), Qt::LeftButton, {}, QPoint(50, 15));
    QCOMPARE(m_boxes.size(), 2);
    QVERIFY(m_form->isVisible());
    m_answer = platform::MsgAnswer::Ok;
    QTest::mouseClick(part<PictureImage>(m_form, "EndeBtn"), Qt::LeftButton, {}, QPoint(50, 15));
    QCOMPARE(m_boxes.size(), 3);
    QVERIFY(!m_form->isVisible());
    const auto stored = mainwin::loadPageSize(platform::programFolder());
    QVERIFY(stored && stored->widthMm && stored->heightMm);
    QCOMPARE(*stored->widthMm, 148.5);
    QCOMPARE(*stored->heightMm, 210.0);
}

void TestMainForm::closeSavesWhatFieldsShow_data()
{
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::addColumn<double>("savedWidth");
    QTest::addColumn<double>("savedHeight");
    QTest::newRow("third decimals") << "123.456"
                                    << "200.254" << 123.46 << 200.25;
    QTest::newRow("out of range") << "5"
                                  << "20000" << 10.0 << 10000.0;
}

void TestMainForm::closeSavesWhatFieldsShow()
{
    QFETCH(QString, width);
    QFETCH(QString, height);
    QFETCH(double, savedWidth);
    QFETCH(double, savedHeight);
    showActive();
    part<QTabWidget>(m_form, "PageControl2")->setCurrentIndex(3);
    // The width field loses the focus to the height field, which still has
    // it when the window closes.
    for (NumericSpinEdit* field :
         {part<NumericSpinEdit>(m_form, "BreitEd"), part<NumericSpinEdit>(m_form, "HochEd")}) {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, field == part<NumericSpinEdit>(m_form, "BreitEd") ? width : height);
    }
    QCOMPARE(part<NumericSpinEdit>(m_form, "HochEd")->text(), height);
    m_answer = platform::MsgAnswer::Ok;
    m_form->close();
    const auto stored = mainwin::loadPageSize(platform::programFolder());
    QVERIFY(stored && stored->widthMm && stored->heightMm);
    QCOMPARE(*stored->widthMm, savedWidth);
    QCOMPARE(*stored->heightMm, savedHeight);
}

void TestMainForm::escapeRemovesSelectedSourcesOnlyOnItsPage_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("modifier");
    QTest::addColumn<bool>("removes");
    QTest::newRow("list focused") << 2 << "ListBox1" << int(Qt::NoModifier) << true;
    QTest::newRow("output field focused") << 2 << "FilenameEdit2" << int(Qt::NoModifier) << true;
    QTest::newRow("resolution focused") << 2 << "DPIED" << int(Qt::NoModifier) << true;
    QTest::newRow("log focused") << 2 << "Memo1" << int(Qt::NoModifier) << false;
    QTest::newRow("with shift") << 2 << "ListBox1" << int(Qt::ShiftModifier) << false;
    QTest::newRow("with ctrl") << 2 << "ListBox1" << int(Qt::ControlModifier) << false;
    QTest::newRow("page size page") << 3 << "BreitEd" << int(Qt::NoModifier) << false;
    QTest::newRow("choose page") << 1 << "" << int(Qt::NoModifier) << false;
}

void TestMainForm::escapeRemovesSelectedSourcesOnlyOnItsPage()
{
    QFETCH(int, page);
    QFETCH(QString, focus);
    QFETCH(int, modifier);
    QFETCH(bool, removes);
    fillSources();
    part<QTabWidget>(m_form, "PageControl2")->setCurrentIndex(page);
    showActive();
    QWidget* target = focus.isEmpty() ? part<QTabWidget>(m_form, "PageControl2")
                                      : m_form->findChild<QWidget*>(focus);
    QVERIFY(target);
    target->setFocus();
    QWidget* receiver = QApplication::focusWidget() ? QApplication::focusWidget() : target;
    QTest::keyClick(receiver, Qt::Key_Escape, Qt::KeyboardModifiers(modifier));
    QCOMPARE(sources(), removes ? QStringList({"/b.ps", "/d.ps"})
                                : QStringList({"/a.ps", "/b.ps", "/c.ps", "/d.ps"}));
}

void TestMainForm::altShortcutsWorkOnTheirPage()
{
    fillSources();
    part<QTabWidget>(m_form, "PageControl2")->setCurrentIndex(3);
    showActive();
    part<NumericSpinEdit>(m_form, "BreitEd")->setFocus();
    QTest::keyClick(m_form->windowHandle(), Qt::Key_S, Qt::AltModifier);
    QTest::qWait(250); // a mnemonic animates its button's click
    QCOMPARE(sources().size(), 4);

    part<QTabWidget>(m_form, "PageControl2")->setCurrentIndex(2);
    part<QListWidget>(m_form, "ListBox1")->setFocus();
    QTest::keyClick(m_form->windowHandle(), Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(sources(), QStringList({"/b.ps", "/d.ps"}));
}

void TestMainForm::homePageButtonOpensAddress()
{
    testsupport::RecordingOpener opener;
    showActive();
    QTest::mouseClick(part<QToolButton>(m_form, "wwwBtn"), Qt::LeftButton);
    const QStringList calls = opener.calls(1);
    QCOMPARE(calls.size(), 1);
    QVERIFY(calls[0].startsWith(QStringLiteral("http://")));
    QCOMPARE(part<QToolButton>(m_form, "wwwBtn")->toolTip(),
             QStringLiteral("Aller à la page d'accueil de Quorvex"));
}

void TestMainForm::tabsLightUpUnderThePointer()
{
    showActive();
    QTabBar* tabs = part<QTabWidget>(m_form, "PageControl2")->tabBar();
    const auto look = [tabs](int index) { return tabs->grab(tabs->tabRect(index)).toImage(); };
    const auto pointAt = [tabs](int index) {
        QTest::mouseMove(tabs, tabs->tabRect(index).center());
        QTest::qWait(50);
    };
    pointAt(3);
    const QImage aide = look(0);
    const QImage chosen = look(1);

    pointAt(0);
    QVERIFY(look(0) != aide);
    // The pointer moves on: the tab it left goes back to its own look.
    pointAt(3);
    QCOMPARE(look(0), aide);
    // The chosen tab keeps its look under the pointer.
    pointAt(1);
    QCOMPARE(look(1), chosen);
}

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
