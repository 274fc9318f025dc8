#include "platform/MessageBox.h"
#include "setupkit/SetupWindow.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace setupkit;

namespace {

// Answers every box with `answer` and keeps what was asked.
struct BoxRecorder
{
    explicit BoxRecorder(platform::MsgAnswer answer = platform::MsgAnswer::Ok)
    {
        platform::setMessageHandler([this, answer](const platform::MessageRequest& request) {
            asked << request;
            if (onAsk)
                onAsk(request);
            return answer;
        });
    }
    ~BoxRecorder() { platform::setMessageHandler({}); }
    QList<platform::MessageRequest> asked;
    std::function<void(const platform::MessageRequest&)> onAsk;
};

struct Calls
{
    int browse = 0;
    int next = 0;
};

MainWindowContent content(SetupKind kind, Calls& calls)
{
    MainWindowContent c;
    c.kind = kind;
    c.productName = QStringLiteral("Folivant 2.0");
    c.firstFolder = QStringLiteral("/media/cd/Quorvex/");
    c.secondFolder = QStringLiteral("/opt/Folivant");
    c.browse = [&calls] { ++calls.browse; };
    c.next = [&calls] { ++calls.next; };
    return c;
}

QWidget* control(QWidget* window, const char* name)
{
    return window ? window->findChild<QWidget*>(QLatin1String(name)) : nullptr;
}

// Both windows of a program carry its title.
QString title(int kind)
{
    return SetupKind(kind) == SetupKind::Installer
               ? QStringLiteral("Quorvex Programme d'installation")
               : QStringLiteral("Quorvex Programme de désinstallation");
}

// Centred static controls are the banners and the progress text; every
// other text starts at the left.
void checkAlignment(QWidget* c, const QString& name)
{
    if (auto* label = qobject_cast<QLabel*>(c)) {
        const bool centred =
            name == "welcomeBanner" || name == "progressBanner" || name == "progressText";
        QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask,
                 Qt::Alignment(centred ? Qt::AlignHCenter : Qt::AlignLeft));
    }
}

QColor pixel(QWidget* widget, int x, int y)
{
    return widget->grab().toImage().pixelColor(x, y);
}

// Counts paint events, to see that a change was painted before returning.
struct PaintCounter : QObject
{
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

class TestSetupWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void positionsFollowTheDesktop();
    void captionButtons();
    void mainWindowLayout_data();
    void mainWindowLayout();
    void progressWindowLayout_data();
    void progressWindowLayout();
    void fontsAndBackgrounds();
    void commandsToldApartByHandle();
    void editNotificationsDoNothing();
    void quitQuestion_data();
    void quitQuestion();
    void closeBoxEndsWithoutQuestion();
    void noDialogKeys();
    void progressTextPaintedAtOnce();
    void finishEndsTheProgram();
    void registrationFailure();
    void wholeRunInTheEventLoop();

private:
    std::unique_ptr<SetupSession> m_session;
};

void TestSetupWindow::init()
{
    m_session = std::make_unique<SetupSession>();
}

void TestSetupWindow::cleanup()
{
    m_session.reset();
}

void TestSetupWindow::positionsFollowTheDesktop()
{
    Calls calls;
    QVERIFY(CreateMainWindow(content(SetupKind::Installer, calls)));
    QCOMPARE(handles().desktopWidth, quint16(1024));
    // The screen starts at 1280, 0 (see main): places count from its corner.
    QCOMPARE(handles().mainWindow->pos(), QPoint(1280 + 256, 204));
    QVERIFY(CreateProgressWindow());
    QCOMPARE(handles().progressWindow->pos(), QPoint(1280 + 252, 204));
    QCOMPARE(handles().progressWindow->parentWidget(), handles().mainWindow.data());

    // Truncating division, also when the desktop is smaller than the window.
    QCOMPARE(mainWindowPosition(1023, 767), QPoint(255, 203));
    QCOMPARE(progressWindowPosition(1023, 767), QPoint(251, 203));
    QCOMPARE(mainWindowPosition(499, 299), QPoint(-6, -30));
}

void TestSetupWindow::captionButtons()
{
    // Main window: close and maximise boxes. Progress window: close box only,
    // and its size stays.
    Calls calls;
    QVERIFY(CreateMainWindow(content(SetupKind::Installer, calls)));
    const Qt::WindowFlags main = handles().mainWindow->windowFlags();
    QVERIFY(main & Qt::WindowCloseButtonHint);
    QVERIFY(main & Qt::WindowMaximizeButtonHint);
    QVERIFY(!(main & Qt::WindowMinimizeButtonHint));
    QVERIFY(CreateProgressWindow());
    SetupWindow* progress = handles().progressWindow;
    QVERIFY(progress->windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!(progress->windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(progress->minimumSize(), progress->maximumSize());
}

void TestSetupWindow::mainWindowLayout_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text"); // "-": the control does not exist
    QTest::addColumn<QRect>("place");

    // The client area is 514 pixels wide: W-194 = 320, W-97 = 417.
    const int I = int(SetupKind::Installer), U = int(SetupKind::Uninstaller);
    const QString welcomeI = "Bienvenue dans le programme d'installation de Folivant 2.0!";
    const QString welcomeU = "Bienvenue dans le programme de désinstallation de Folivant 2.0!";
    QTest::newRow("I banner") << I << "welcomeBanner" << welcomeI << QRect(-1, -1, 515, 49);
    QTest::newRow("I label 1") << I << "firstFolderLabel"
                               << "Répertoire source:" << QRect(8, 64, 150, 21);
    QTest::newRow("I label 2") << I << "secondFolderLabel"
                               << "Répertoire d'installation:" << QRect(8, 88, 150, 21);
    QTest::newRow("I note") << I << "note"
                            << "Ce programme a une option de désinstallation!"
                            << QRect(8, 224, 503, 21);
    QTest::newRow("I field 1") << I << "firstFolderField"
                               << "/media/cd/Quorvex/" << QRect(160, 64, 347, 21);
    QTest::newRow("I field 2") << I << "secondFolderField"
                               << "/opt/Folivant" << QRect(160, 88, 347, 21);
    QTest::newRow("I browse") << I << "browseButton"
                              << "Choisissez un répertoire d'installation..."
                              << QRect(160, 115, 199, 25);
    QTest::newRow("I lower rule") << I << "lowerRule"
                                  << "" << QRect(0, 279, 514, 2);
    QTest::newRow("I upper rule") << I << "upperRule"
                                  << "" << QRect(0, 49, 514, 2);
    QTest::newRow("I next") << I << "nextButton"
                            << "Suivant >" << QRect(320, 290, 89, 25);
    QTest::newRow("I cancel") << I << "cancelButton"
                              << "Annuler" << QRect(417, 290, 89, 25);

    QTest::newRow("U banner") << U << "welcomeBanner" << welcomeU << QRect(-1, -1, 515, 49);
    QTest::newRow("U label 1") << U << "firstFolderLabel"
                               << "Répertoire du programme:" << QRect(8, 64, 150, 21);
    QTest::newRow("U note") << U << "note"
                            << "Vous pouvez supprimer the programme installé sur votre ordinateur "
                               "avec ce programme!"
                            << QRect(8, 224, 503, 21);
    QTest::newRow("U field 1") << U << "firstFolderField"
                               << "/media/cd/Quorvex/" << QRect(160, 64, 347, 21);
    QTest::newRow("U next") << U << "nextButton"
                            << "Suivant >" << QRect(320, 290, 89, 25);
    QTest::newRow("U cancel") << U << "cancelButton"
                              << "Annuler" << QRect(417, 290, 89, 25);
    QTest::newRow("U no label 2") << U << "secondFolderLabel"
                                  << "-" << QRect();
    QTest::newRow("U no field 2") << U << "secondFolderField"
                                  << "-" << QRect();
    QTest::newRow("U no browse") << U << "browseButton"
                                 << "-" << QRect();
}

void TestSetupWindow::mainWindowLayout()
{
    QFETCH(int, kind);
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QRect, place);
    Calls calls;
    QVERIFY(CreateMainWindow(content(SetupKind(kind), calls)));
    SetupWindow* window = handles().mainWindow;
    QCOMPARE(window->windowTitle(), title(kind));
    QCOMPARE(window->width(), 514);
    QWidget* c = control(window, name.toLatin1());
    if (text == "-") {
        QVERIFY(!c);
        return;
    }
    QVERIFY(c);
    QCOMPARE(GetWindowText(c), text);
    QCOMPARE(c->geometry(), place);
    QVERIFY(c->isEnabled());
    checkAlignment(c, name);
    if (auto* button = qobject_cast<QPushButton*>(c))
        QCOMPARE(button->isDefault(), name == "nextButton");
}

void TestSetupWindow::progressWindowLayout_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("place");

    const int I = int(SetupKind::Installer), U = int(SetupKind::Uninstaller);
    QTest::newRow("I banner") << I << "progressBanner"
                              << "Installation en cours... veuillez patienter..."
                              << QRect(-1, -1, 515, 49);
    QTest::newRow("I text") << I << "progressText"
                            << "" << QRect(10, 70, 494, 200);
    QTest::newRow("I lower rule") << I << "lowerRule"
                                  << "" << QRect(0, 279, 514, 2);
    QTest::newRow("I upper rule") << I << "upperRule"
                                  << "" << QRect(0, 49, 514, 2);
    QTest::newRow("I next") << I << "nextButton"
                            << "Suivant >" << QRect(320, 290, 89, 25);
    QTest::newRow("I cancel") << I << "cancelButton"
                              << "Annuler" << QRect(417, 290, 89, 25);
    QTest::newRow("U banner") << U << "progressBanner"
                              << "Désinstallation en cours... veuillez patienter..."
                              << QRect(-1, -1, 515, 49);
    QTest::newRow("U text") << U << "progressText"
                            << "Suppression du programme..." << QRect(10, 70, 494, 200);
}

void TestSetupWindow::progressWindowLayout()
{
    QFETCH(int, kind);
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QRect, place);
    Calls calls;
    QVERIFY(CreateMainWindow(content(SetupKind(kind), calls)));
    handles().mainWindow->show();
    QVERIFY(CreateProgressWindow());
    SetupWindow* window = handles().progressWindow;
    // Built but not shown; the main window is gone from the screen already.
    QVERIFY(!handles().mainWindow->isVisible());
    QVERIFY(!window->isVisible());
    QCOMPARE(window->windowTitle(), title(kind));
    QWidget* c = control(window, name.toLatin1());
    QVERIFY(c);
    QCOMPARE(GetWindowText(c), text);
    QCOMPARE(c->geometry(), place);
    QCOMPARE(c->isEnabled(), !qobject_cast<QPushButton*>(c));
    checkAlignment(c, name);
    ShowProgressWindow();
    QVERIFY(window->isVisible());
}

void TestSetupWindow::fontsAndBackgrounds()
{
    Calls calls;
    QVERIFY(CreateMainWindow(content(SetupKind::Installer, calls)));
    SetupHandles& h = handles();
    h.mainWindow->show();

    QCOMPARE(QFontInfo(h.TitleFont).family(), QStringLiteral("DejaVu Sans"));
    QCOMPARE(h.TitleFont.pixelSize(), 18);
    QCOMPARE(h.TitleFont.weight(), QFont::Bold);
    QCOMPARE(h.BodyFont.pixelSize(), 11);
    QCOMPARE(h.BodyFont.weight(), QFont::Normal);
    // The longest caption fits its button in that face.
    auto* browse = qobject_cast<QPushButton*>(control(h.mainWindow, "browseButton"));
    QVERIFY(browse);
    QVERIFY(browse->fontMetrics().horizontalAdvance(browse->text()) <= browse->width() - 8);
    QCOMPARE(h.welcomeBanner->font(), h.TitleFont);
    for (const char* name : {"firstFolderLabel", "note", "secondFolderField", "browseButton",
                             "nextButton", "cancelButton"})
        QCOMPARE(control(h.mainWindow, name)->font(), h.BodyFont);

    // Banner white inside its 1-pixel edge; labels and rules on the face colour.
    const QColor face = h.FaceBrush.color();
    QCOMPARE(pixel(h.welcomeBanner, 4, 45), QColor(Qt::white));
    QCOMPARE(h.welcomeBanner->lineWidth(), 1);
    QCOMPARE(pixel(control(h.mainWindow, "firstFolderLabel"), 145, 18), face);
    QCOMPARE(pixel(control(h.mainWindow, "note"), 500, 18), face);

    QVERIFY(CreateProgressWindow());
    ShowProgressWindow();
    QCOMPARE(h.progressBanner->font(), h.TitleFont);
    QCOMPARE(h.progressText->font(), h.BodyFont);
    QCOMPARE(pixel(h.progressBanner, 4, 45), QColor(Qt::white));
    QCOMPARE(pixel(h.progressText, 6, 190), QColor(Qt::white));
    QCOMPARE(h.progressText->lineWidth(), 2); // the client edge
    QCOMPARE(h.progressBanner->frameShape(), QFrame::NoFrame);
}

void TestSetupWindow::commandsToldApartByHandle()
{
    Calls calls;
    QVERIFY(CreateMainWindow(content(SetupKind::Installer, calls)));
    BoxRecorder boxes(platform::MsgAnswer::No);
    handles().mainWindow->show();

    QTest::mouseClick(handles().browseButton, Qt::LeftButton);
    QCOMPARE(calls.browse, 1);
    QCOMPARE(calls.next, 0);
    QTest::mouseClick(handles().nextButton, Qt::LeftButton);
    QCOMPARE(calls.next, 1);
    QVERIFY(boxes.asked.isEmpty());
    QTest::mouseClick(handles().cancelButton, Qt::LeftButton);
    QCOMPARE(boxes.asked.size(), 1);
    QCOMPARE(calls.browse + calls.next, 2);

    // A click is the whole WParam 0 from a known handle; anything else is not.
    SetupWindow* w = handles().mainWindow;
    w->send({Message::Command, 0, handles().firstFolderField});
    w->send({Message::Command, 0, nullptr});
    w->send({Message::Command, 1, handles().nextButton}); // identifier 1 is no control of ours
    QCOMPARE(calls.next, 1);
    QCOMPARE(boxes.asked.size(), 1);

    SetSecondFolderText(QStringLiteral("/srv/Folivant"));
    QCOMPARE(handles().secondFolderField->text(), QStringLiteral("/srv/Folivant"));
}

void TestSetupWindow::editNotificationsDoNothing()
{
    Calls calls;
    QVERIFY(CreateMainWindow(content(SetupKind::Installer, calls)));
    BoxRecorder boxes(platform::MsgAnswer::Yes);
    SetupWindow* w = handles().mainWindow;
    w->show();

    QLineEdit* field = handles().secondFolderField;
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyClicks(field, QStringLiteral("/x"));
    QCOMPARE(field->text(), QStringLiteral("/opt/Folivant/x"));
    QTest::mouseClick(handles().firstFolderField, Qt::LeftButton); // kill focus on the second

    // Even with the next button's handle, an edit notification is no click.
    for (quint16 code : {EN_SETFOCUS, EN_KILLFOCUS, EN_CHANGE, EN_UPDATE})
        w->send({Message::Command, commandWParam(code), handles().nextButton});

    QCOMPARE(calls.next + calls.browse, 0);
    QVERIFY(boxes.asked.isEmpty());
    QVERIFY(!quitPosted());
    QVERIFY(w->isVisible());
}

void TestSetupWindow::quitQuestion_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("yes");
    QTest::newRow("installer, No") << int(SetupKind::Installer) << false;
    QTest::newRow("installer, Yes") << int(SetupKind::Installer) << true;
    QTest::newRow("uninstaller, No") << int(SetupKind::Uninstaller) << false;
    QTest::newRow("uninstaller, Yes") << int(SetupKind::Uninstaller) << true;
}

void TestSetupWindow::quitQuestion()
{
    QFETCH(int, kind);
    QFETCH(bool, yes);
    Calls calls;
    QVERIFY(CreateMainWindow(content(SetupKind(kind), calls)));
    BoxRecorder boxes(yes ? platform::MsgAnswer::Yes : platform::MsgAnswer::No);
    SetupWindow* w = handles().mainWindow;
    w->show();
    handles().firstFolderField->setText(QStringLiteral("/edited/"));

    QTest::mouseClick(handles().cancelButton, Qt::LeftButton);
    QCOMPARE(boxes.asked.size(), 1);
    const platform::MessageRequest& box = boxes.asked.first();
    QCOMPARE(box.text, QStringLiteral("Voulez-vous vraiment quitter le programme?"));
    QCOMPARE(box.caption, QStringLiteral("Quitter le programme"));
    QCOMPARE(box.icon, platform::MsgIcon::Question);
    QCOMPARE(box.buttons, platform::MsgButtons::YesNo);
    QCOMPARE(box.owner, w);

    QCOMPARE(quitPosted(), yes);
    if (yes)
        QCOMPARE(RunMessageLoop(), 0); // returns at once: the quit is already posted
    // Either way the window and its fields stay as they were; Yes only ends
    // the loop.
    QVERIFY(w->isVisible());
    QCOMPARE(handles().firstFolderField->text(), QStringLiteral("/edited/"));
    QCOMPARE(calls.next, 0);
}

void TestSetupWindow::closeBoxEndsWithoutQuestion()
{
    Calls calls;
    QVERIFY(CreateMainWindow(content(SetupKind::Uninstaller, calls)));
    BoxRecorder boxes(platform::MsgAnswer::No);
    QPointer<SetupWindow> w = handles().mainWindow;
    w->show();
    w->close();
    QVERIFY(boxes.asked.isEmpty());
    QVERIFY(quitPosted());
    QVERIFY(!w->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(w.isNull());
    QCOMPARE(calls.next, 0);
}

void TestSetupWindow::noDialogKeys()
{
    Calls calls;
    QVERIFY(CreateMainWindow(content(SetupKind::Installer, calls)));
    SetupWindow* w = handles().mainWindow;
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    // Nothing has the focus at first, so nothing reacts to a key.
    QCOMPARE(QApplication::focusWidget(), nullptr);

    QLineEdit* field = handles().firstFolderField;
    QTest::mouseClick(field, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), field);
    QTest::keyClick(field, Qt::Key_Tab);
    QTest::keyClick(field, Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), field);
    QTest::keyClick(field, Qt::Key_Return);
    QTest::keyClick(field, Qt::Key_Enter);
    QCOMPARE(calls.next, 0);

    // A button with the focus ignores Enter but takes the space bar, as a
    // push button does by itself.
    QPushButton* next = handles().nextButton;
    next->setFocus();
    QTest::keyClick(next, Qt::Key_Return);
    QTest::keyClick(next, Qt::Key_Tab);
    QCOMPARE(calls.next, 0);
    QCOMPARE(QApplication::focusWidget(), next);
    QTest::keyClick(next, Qt::Key_Space);
    QCOMPARE(calls.next, 1);
}

void TestSetupWindow::progressTextPaintedAtOnce()
{
    Calls calls;
    QVERIFY(CreateMainWindow(content(SetupKind::Installer, calls)));
    QVERIFY(CreateProgressWindow());
    ShowProgressWindow();
    QLabel* text = handles().progressText;
    PaintCounter counter;
    text->installEventFilter(&counter);

    // No event is processed in between: the text must be on screen already.
    const QString copying = QStringLiteral("Copier /cd/a.txt\r vers \r/opt/F/a.txt...");
    SetProgressText(copying);
    QCOMPARE(counter.paints, 1);
    QCOMPARE(GetWindowText(text), copying);
    QCOMPARE(text->text(), QStringLiteral("Copier /cd/a.txt\n vers \n/opt/F/a.txt..."));
    SetProgressText(QStringLiteral("Copier b"));
    QCOMPARE(counter.paints, 2);
}

void TestSetupWindow::finishEndsTheProgram()
{
    Calls calls;
    QVERIFY(CreateMainWindow(content(SetupKind::Installer, calls)));
    QVERIFY(CreateProgressWindow());
    ShowProgressWindow();
    QPointer<SetupWindow> progress = handles().progressWindow;
    BoxRecorder boxes;
    bool shownDuringBox = false;
    boxes.onAsk = [&](const platform::MessageRequest&) {
        shownDuringBox = progress && progress->isVisible() && !quitPosted();
    };
    FinishSetup(QStringLiteral("L'installation est terminée!"),
                QStringLiteral("Installation terminée"));
    QCOMPARE(boxes.asked.size(), 1);
    const platform::MessageRequest& box = boxes.asked.first();
    QCOMPARE(box.owner, progress.data());
    QCOMPARE(box.caption, QStringLiteral("Installation terminée"));
    QCOMPARE(box.icon, platform::MsgIcon::Information);
    QVERIFY(box.taskModal);
    QVERIFY(shownDuringBox);
    QVERIFY(quitPosted());
    QVERIFY(!progress->isVisible());
    QVERIFY(progress->isDestroyed());
    // Its class is gone with it and can be registered anew.
    QVERIFY(RegisterSetupClass(ProgressWndProc, QStringLiteral("SetwellWndclass"), QString(),
                               handles().FaceBrush));
    QCOMPARE(boxes.asked.size(), 1);
}

void TestSetupWindow::registrationFailure()
{
    Calls calls;
    QVERIFY(CreateMainWindow(content(SetupKind::Installer, calls)));
    BoxRecorder boxes;
    // The class of the main window exists already.
    QVERIFY(!RegisterSetupClass(MainWndProc, QStringLiteral("QuorvexClass"), QString(),
                                handles().FaceBrush));
    QCOMPARE(boxes.asked.size(), 1);
    const platform::MessageRequest& box = boxes.asked.first();
    QCOMPARE(box.text, QStringLiteral("Can not Register Class"));
    QCOMPARE(box.owner, nullptr);
    QVERIFY(box.caption.isEmpty());
    QCOMPARE(box.icon, platform::MsgIcon::Error);
    QVERIFY(box.taskModal);
    QVERIFY(quitPosted());
    QCOMPARE(RunMessageLoop(), 1);

    // The progress window's class taken: nothing is built and the program ends.
    ReleaseSetupWindows();
    QVERIFY(CreateMainWindow(content(SetupKind::Installer, calls)));
    QVERIFY(RegisterSetupClass(ProgressWndProc, QStringLiteral("SetwellWndclass"), QString(),
                               handles().FaceBrush));
    QVERIFY(!CreateProgressWindow());
    QVERIFY(handles().progressWindow.isNull());
    QVERIFY(quitPosted());
}

void TestSetupWindow::wholeRunInTheEventLoop()
{
    // The real loop: next builds the progress window, works, finishes.
    BoxRecorder boxes;
    Calls calls;
    MainWindowContent c = content(SetupKind::Uninstaller, calls);
    QString readBack;
    c.next = [&] {
        readBack = handles().firstFolderField->text();
        QVERIFY(CreateProgressWindow());
        ShowProgressWindow();
        FinishSetup(QStringLiteral("La désinstallation est terminée!"),
                    QStringLiteral("Désinstallation terminée"));
    };
    QTimer::singleShot(0, [] { QTest::mouseClick(handles().nextButton, Qt::LeftButton); });
    QCOMPARE(RunSetupProgram(c), 0);
    QCOMPARE(readBack, QStringLiteral("/media/cd/Quorvex/"));
    QCOMPARE(boxes.asked.size(), 1);
    QVERIFY(handles().mainWindow.isNull()); // released after the loop

    // Closed from the caption in the loop: exit code 0, no question.
    QTimer::singleShot(0, [] { handles().mainWindow->close(); });
    QCOMPARE(RunSetupProgram(content(SetupKind::Installer, calls)), 0);
    QCOMPARE(boxes.asked.size(), 1);
}

int main(int argc, char** argv)
{
    // A desktop 1024 pixels wide, the width the windows are laid out for. It is
    // placed where a primary screen right of another one starts.
    QTemporaryDir dir;
    const QString config = dir.path() + "/screen.json";
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return 2;
    file.write(R"({"screens": [{"name": "desktop", "x": 1280, "y": 0, "width": 1024,
                "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    QApplication app(argc, argv);
    TestSetupWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SetupWindow.moc"
