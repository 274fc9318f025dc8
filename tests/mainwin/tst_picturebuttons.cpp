// The three picture buttons driven through the window, as the system
// delivers the mouse: press, moves and release with their real routing.

#include "mainwin/MainUnit.h"
#include "mainwin/PictureImage.h"
#include "platform/MessageBox.h"
#include "support/FormParts.h"

#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QtTest>

using namespace mainwin;

class TestPictureButtons : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void moveWithoutPressChangesNothing();
    void leftPressFollowsPointerAndClicksOnlyOver();
    void leftReleaseAwayRunsNoAction();
    void doubleClickActsOnce();
    void rightOrMiddlePressLatches_data();
    void rightOrMiddlePressLatches();
    void latchedAboutButtonShowsAFreshBoxEachTime();
    void latchedStartButtonCanStillStartAJob();
    void lostHoldLeavesButtonLatched();

private:
    QPoint at(QWidget* widget, QPoint p = QPoint(50, 15)) const { return widget->mapTo(m_form, p); }
    QWindow* window() const { return m_form->windowHandle(); }
    bool pressedLook(PictureImage* normal, PictureImage* pressed) const
    {
        return !normal->isVisible() && pressed->isVisible();
    }

    TMainForm* m_form = nullptr;
    QStringList m_questions;
    platform::MsgAnswer m_answer = platform::MsgAnswer::Cancel;
};

void TestPictureButtons::init()
{
    m_questions.clear();
    m_answer = platform::MsgAnswer::Cancel;
    platform::setMessageHandler([this](const platform::MessageRequest& request) {
        m_questions << request.text;
        return m_answer;
    });
    m_form = new TMainForm;
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form));
}

void TestPictureButtons::cleanup()
{
    // Whatever a test left pressed must not keep the mouse.
    QTest::mouseRelease(window(), Qt::LeftButton, {}, QPoint(1, 1));
    m_form->hide();
    delete m_form;
    platform::setMessageHandler({});
}

void TestPictureButtons::moveWithoutPressChangesNothing()
{
    QTest::mouseMove(window(), at(part<PictureImage>(m_form, "EndeBtn")));
    QTest::mouseMove(window(), at(part<PictureImage>(m_form, "EndeBtn"), QPoint(-200, -100)));
    QVERIFY(part<PictureImage>(m_form, "EndeBtn")->isVisible());
    QVERIFY(!part<PictureImage>(m_form, "EndeBtnDown")->isVisible());
    QVERIFY(m_questions.isEmpty());
}

void TestPictureButtons::leftPressFollowsPointerAndClicksOnlyOver()
{
    PictureImage* normal = part<PictureImage>(m_form, "EndeBtn");
    PictureImage* pressed = part<PictureImage>(m_form, "EndeBtnDown");
    QTest::mousePress(window(), Qt::LeftButton, {}, at(normal));
    QVERIFY(pressedLook(normal, pressed));

    // Off the button, by a pixel past its right edge, then back onto it.
    QTest::mouseMove(window(), at(normal, QPoint(101, 15)));
    QVERIFY(normal->isVisible());
    QVERIFY(!pressed->isVisible());
    QTest::mouseMove(window(), at(normal, QPoint(100, 29)));
    QVERIFY(pressedLook(normal, pressed));

    QTest::mouseRelease(window(), Qt::LeftButton, {}, at(normal, QPoint(100, 29)));
    QCOMPARE(m_questions, QStringList{QStringLiteral("Vous quittez le programme")});
    // Cancelled: the window stays and the button is idle again.
    QVERIFY(m_form->isVisible());
    QVERIFY(normal->isVisible());
    QVERIFY(!pressed->isVisible());
    QVERIFY(!normal->holdsMouse());
}

void TestPictureButtons::leftReleaseAwayRunsNoAction()
{
    PictureImage* normal = part<PictureImage>(m_form, "EndeBtn");
    QTest::mousePress(window(), Qt::LeftButton, {}, at(normal));
    QTest::mouseMove(window(), at(normal, QPoint(-40, -40)));
    QTest::mouseRelease(window(), Qt::LeftButton, {}, at(normal, QPoint(-40, -40)));
    QVERIFY(m_questions.isEmpty());
    QVERIFY(m_form->isVisible());
    QVERIFY(normal->isVisible());
    QVERIFY(!part<PictureImage>(m_form, "EndeBtnDown")->isVisible());

    // A later move over the button is a move without a press again.
    QTest::mouseMove(window(), at(normal));
    QVERIFY(normal->isVisible());
}

void TestPictureButtons::doubleClickActsOnce()
{
    // The second press of a double click shows the pressed look and its
    // release the normal one again, but only the first click is a click.
    QTest::mouseDClick(window(), Qt::LeftButton, {}, at(part<PictureImage>(m_form, "EndeBtn")));
    QCOMPARE(m_questions.size(), 1);
    QVERIFY(part<PictureImage>(m_form, "EndeBtn")->isVisible());
    QVERIFY(!part<PictureImage>(m_form, "EndeBtnDown")->isVisible());
    QVERIFY(!part<PictureImage>(m_form, "EndeBtn")->holdsMouse());
}

void TestPictureButtons::rightOrMiddlePressLatches_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::newRow("right") << Qt::RightButton;
    QTest::newRow("middle") << Qt::MiddleButton;
}

void TestPictureButtons::rightOrMiddlePressLatches()
{
    QFETCH(Qt::MouseButton, button);
    PictureImage* normal = part<PictureImage>(m_form, "EndeBtn");
    PictureImage* pressed = part<PictureImage>(m_form, "EndeBtnDown");
    QTest::mousePress(window(), button, {}, at(normal));
    QVERIFY(pressedLook(normal, pressed));
    // Not held: moving away and releasing leave the pressed look.
    QTest::mouseMove(window(), at(normal, QPoint(-40, 15)));
    QVERIFY(pressedLook(normal, pressed));
    QTest::mouseRelease(window(), button, {}, at(normal, QPoint(-40, 15)));
    QVERIFY(pressedLook(normal, pressed));
    QTest::mouseMove(window(), at(normal));
    QVERIFY(pressedLook(normal, pressed));
    QVERIFY(m_questions.isEmpty());

    // A right click on the pressed picture does nothing; a left one quits.
    QTest::mouseClick(window(), Qt::RightButton, {}, at(pressed));
    QVERIFY(m_questions.isEmpty());
    m_answer = platform::MsgAnswer::Ok;
    QTest::mouseClick(window(), Qt::LeftButton, {}, at(pressed));
    QCOMPARE(m_questions.size(), 1);
    QVERIFY(!m_form->isVisible());
    QVERIFY(!pressed->isVisible());
}

void TestPictureButtons::latchedAboutButtonShowsAFreshBoxEachTime()
{
    QList<QPointer<QDialog>> shown;
    QStringList titles;
    auto closeBoxSoon = [&] {
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(box);
            shown << box;
            titles << box->windowTitle();
            box->reject();
        });
    };

    closeBoxSoon();
    QTest::mouseClick(window(), Qt::LeftButton, {}, at(part<PictureImage>(m_form, "ueberbtn")));
    QCOMPARE(shown.size(), 1);
    QVERIFY(shown[0].isNull()); // destroyed once closed
    QVERIFY(part<PictureImage>(m_form, "ueberbtn")->isVisible());

    QTest::mousePress(window(), Qt::RightButton, {}, at(part<PictureImage>(m_form, "ueberbtn")));
    QTest::mouseRelease(window(), Qt::RightButton, {}, at(part<PictureImage>(m_form, "ueberbtn")));
    QVERIFY(pressedLook(part<PictureImage>(m_form, "ueberbtn"),
                        part<PictureImage>(m_form, "ueberBtn2")));
    closeBoxSoon();
    QTest::mouseClick(window(), Qt::LeftButton, {}, at(part<PictureImage>(m_form, "ueberBtn2")));
    QCOMPARE(shown.size(), 2);
    QVERIFY(shown[1].isNull());
    QCOMPARE(titles, QStringList({QStringLiteral("Info."), QStringLiteral("Info.")}));
    QVERIFY(part<PictureImage>(m_form, "ueberbtn")->isVisible());
    QVERIFY(!part<PictureImage>(m_form, "ueberBtn2")->isVisible());
}

void TestPictureButtons::latchedStartButtonCanStillStartAJob()
{
    part<QTabWidget>(m_form, "PageControl2")->setCurrentIndex(2); // "Créer le fichier PDF"
    QTest::mousePress(window(), Qt::RightButton, {}, at(part<PictureImage>(m_form, "GoBtn1")));
    QTest::mouseRelease(window(), Qt::RightButton, {}, at(part<PictureImage>(m_form, "GoBtn1")));
    QVERIFY(pressedLook(part<PictureImage>(m_form, "GoBtn1"),
                        part<PictureImage>(m_form, "GoBtn1Down")));
    // Nothing to convert: the job's first check answers, and the button is
    // back to normal rather than stuck.
    QTest::mouseClick(window(), Qt::LeftButton, {}, at(part<PictureImage>(m_form, "GoBtn1Down")));
    QCOMPARE(m_questions.size(), 1);
    QVERIFY(m_questions[0].startsWith(QStringLiteral("Vous devez spécifier")));
    QVERIFY(part<PictureImage>(m_form, "GoBtn1")->isVisible());
    QVERIFY(!part<PictureImage>(m_form, "GoBtn1Down")->isVisible());
}

void TestPictureButtons::lostHoldLeavesButtonLatched()
{
    PictureImage* normal = part<PictureImage>(m_form, "EndeBtn");
    PictureImage* pressed = part<PictureImage>(m_form, "EndeBtnDown");
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    QTest::mousePress(window(), Qt::LeftButton, {}, at(normal));
    QVERIFY(normal->holdsMouse());

    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QVERIFY(!normal->holdsMouse());
    QVERIFY(pressedLook(normal, pressed));

    // The release now lands on the pressed picture, which has no release
    // handler: the button stays latched until a left click on it.
    other.hide();
    QTest::mouseRelease(window(), Qt::LeftButton, {}, at(normal));
    QVERIFY(pressedLook(normal, pressed));
    QVERIFY(m_questions.isEmpty());
    QTest::mouseClick(window(), Qt::LeftButton, {}, at(pressed));
    QCOMPARE(m_questions.size(), 1);
}

QTEST_MAIN(TestPictureButtons)
#include "tst_picturebuttons.moc"
