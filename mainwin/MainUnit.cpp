#include "mainwin/MainUnit.h"

#include "convert/ConsoleOutput.h"
#include "convert/ConversionJob.h"
#include "convert/GsDll.h"
#include "convert/WmUser.h"
#include "mainwin/AboutBoxUnit.h"
#include "mainwin/BrowsePage.h"
#include "mainwin/ConversionGuard.h"
#include "mainwin/CreatePage.h"
#include "mainwin/HelpPage.h"
#include "mainwin/LogMemo.h"
#include "mainwin/PageDecor.h"
#include "mainwin/PageSizePage.h"
#include "mainwin/PictureButton.h"
#include "mainwin/Pictures.h"
#include "mainwin/ProgressStatusBar.h"
#include "mainwin/SourceSelection.h"
#include "mainwin/StartFolder.h"
#include "platform/MessageBox.h"
#include "platform/ShellOpen.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QScreen>
#include <QSessionManager>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

namespace mainwin {

TMainForm* TMainForm::s_instance = nullptr;
const char* const TMainForm::HomePage = "http://www.quorvex.fr/";

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent)
{
    s_instance = this;
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Quorvex Folivant 2.0"));
    setWindowIcon(programIcon());
    setFont(windowFont());
    resize(OuterWidth - FrameWidth, OuterHeight - FrameHeight);

    auto* client = new PlacedArea(this);
    setCentralWidget(client);

    PageControl2 = new QTabWidget(client);
    PageControl2->setObjectName(QStringLiteral("PageControl2"));
    PageControl2->setIconSize(QSize(16, 16));
    lightTabsUnderPointer(PageControl2->tabBar());
    TabSheet1 = new HelpPage(PageControl2);
    TabSheet2 = new PageSheet(
        QStringLiteral("TabSheet2"),
        QStringLiteral("Choisir un fichier PostScript - Choisir le(s) fichier(s) que vous "
                       "désirez convertir au format PDF"),
        QString(), QString(), PageControl2);
    m_browsePage = new BrowsePage(TabSheet2->area());
    TabSheet2->area()->setPlacer([this](const QSize& size) {
        m_browsePage->setGeometry(0, 0, size.width(), size.height());
    });
    TabSheet3 = new CreatePage(PageControl2);
    TabSheet4 = new PageSizePage(PageControl2);
    PageControl2->addTab(TabSheet1, pictureIcon(QStringLiteral("book")), QStringLiteral("Aide"));
    PageControl2->addTab(TabSheet2, pictureIcon(QStringLiteral("sheet")),
                         QStringLiteral("Choisir un fichier PostScript"));
    PageControl2->addTab(TabSheet3, pictureIcon(QStringLiteral("tools")),
                         QStringLiteral("Créer le fichier PDF"));
    PageControl2->addTab(TabSheet4, pictureIcon(QStringLiteral("calculator")),
                         QStringLiteral("Taille de la page"));
    connect(m_browsePage, &BrowsePage::filesTaken, this,
            [this](const QStringList& files) { openfilenow(files); });
    connect(TabSheet3, &CreatePage::goRequested, this, [this] { GoBtn1Click(); });

    Panel7 = new PlacedArea(client);
    Panel7->setObjectName(QStringLiteral("Panel7"));
    buildButtonBar();

    StatusBar1 = new ProgressStatusBar(client);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));

    client->setPlacer([this](const QSize& size) {
        const int barTop = size.height() - StatusBar1->height();
        const int panelTop = barTop - 41;
        PageControl2->setGeometry(0, 0, size.width(), qMax(0, panelTop));
        Panel7->setGeometry(0, panelTop, size.width(), 41);
        StatusBar1->setGeometry(0, barTop, size.width(), StatusBar1->height());
    });

    PageControl2->setCurrentWidget(TabSheet2);

    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
        if (!manager.allowsInteraction())
            return;
        if (!queryEndSession())
            manager.cancel();
        manager.release();
    });

    FormCreate();
}

TMainForm::~TMainForm()
{
    if (s_instance == this)
        s_instance = nullptr;
}

void TMainForm::buildButtonBar()
{
    wwwBtn = placed(new QToolButton(Panel7), "wwwBtn", 5, 5, 137, 33);
    wwwBtn->setAutoRaise(true);
    wwwBtn->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    wwwBtn->setIcon(programIcon());
    wwwBtn->setIconSize(QSize(24, 25));
    wwwBtn->setText(QStringLiteral("www.quorvex.fr"));
    wwwBtn->setToolTip(QStringLiteral("Aller à la page d'accueil de Quorvex"));
    wwwBtn->setCursor(Qt::PointingHandCursor);
    connect(wwwBtn, &QToolButton::clicked, this, [this] { wwwBtnClick(); });

    Panel8 = new QWidget(Panel7);
    Panel8->setObjectName(QStringLiteral("Panel8"));
    Panel8->resize(214, 41);
    ueberbtn = new PictureButton(QStringLiteral("ueberbtn"), QStringLiteral("ueberBtn2"),
                                 QStringLiteral("about"), QStringLiteral("A propos de Pagevell"),
                                 Panel8, QPoint(1, 4));
    connect(ueberbtn, &PictureButton::activated, this, [this] { ueberbtnClick(); });
    EndeBtn = new PictureButton(QStringLiteral("EndeBtn"), QStringLiteral("EndeBtnDown"),
                                QStringLiteral("quit"), QStringLiteral("Vous quittez le programme"),
                                Panel8, QPoint(105, 4));
    connect(EndeBtn, &PictureButton::activated, this, [this] { EndeBtnClick(); });

    static_cast<PlacedArea*>(Panel7)->setPlacer(
        [this](const QSize& size) { Panel8->move(size.width() - Panel8->width(), 0); });
}

void TMainForm::centreOnScreen()
{
    QScreen* where = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!where)
        return;
    const QRect available = where->availableGeometry();
    QSize outer = frameGeometry().size();
    if (!isVisible() || outer == size())
        outer = QSize(OuterWidth, OuterHeight);
    move(available.center() - QPoint(outer.width() / 2, outer.height() / 2) + QPoint(1, 1));
}

// ---------------------------------------------------------------- start-up

void TMainForm::FormCreate()
{
    TabSheet3->selectFirstOptions();
    // Settings live beside the program, unless it is an installed copy.
    const StartPlaces places = startPlaces();
    ProgramFolder = places.programFolder;
    m_browsePage->setProgramFolder(ProgramFolder);
    TabSheet3->setRelativeNamesFolder(relativeNamesFolder(places));
    m_browsePage->showStartFolder(startFolder(places));
    m_browsePage->loadPreferredFolders();
    // The millimetres follow the inches the page was built with, unless a
    // stored size replaces both.
    TabSheet4->alignMillimetresWithInches();
    TabSheet4->loadSavedPageSize(ProgramFolder);
}

// ----------------------------------------------------------------- closing

void TMainForm::FormCloseQuery(bool& canClose)
{
    platform::MessageRequest question;
    question.owner = this;
    question.text = QStringLiteral("Vous quittez le programme");
    question.caption = QStringLiteral("Quitter le programme");
    question.icon = platform::MsgIcon::Information;
    question.buttons = platform::MsgButtons::OkCancel;
    canClose = platform::showMessage(question) == platform::MsgAnswer::Ok;
}

void TMainForm::FormClose()
{
    TabSheet4->savePageSize(ProgramFolder);
}

bool TMainForm::queryEndSession()
{
    bool canClose = true;
    FormCloseQuery(canClose);
    if (!canClose)
        return false;
    // The session ends the program next: save as a confirmed close does and
    // do not ask a second time when the window is closed.
    FormClose();
    m_closeConfirmed = true;
    return true;
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    // During a run the close box asks whether to stop it, not to quit.
    if (m_guard) {
        event->ignore();
        m_guard->askToStop();
        return;
    }
    // A log-off confirmed here stands for the close that the session sends,
    // not for a close box pressed after another program refused the log-off.
    if (!m_closeConfirmed || event->spontaneous()) {
        bool canClose = true;
        FormCloseQuery(canClose);
        if (!canClose) {
            event->ignore();
            return;
        }
    }
    m_closeConfirmed = false;
    // Saved again: the page size may have changed since a log-off query.
    FormClose();
    event->accept();
}

// ---------------------------------------------------------- conversion job

void TMainForm::GoBtn1Click()
{
    if (!TabSheet3->hasInput()) {
        platform::MessageRequest missing;
        missing.owner = this;
        missing.text = QStringLiteral("Vous devez spécifier un nom pour le fichier source et un "
                                      "nom pour le fichier PDF!");
        missing.icon = platform::MsgIcon::Information;
        platform::showMessage(missing);
        return;
    }
    // Writing the PDF must not destroy a source, whatever name leads to it.
    convert::JobInput job = TabSheet3->jobInput();
    const QString clash = convert::sourceThatIsTheOutput(job);
    if (!clash.isEmpty()) {
        platform::MessageRequest refused;
        refused.owner = this;
        refused.text = QStringLiteral("Le fichier PDF %1 est aussi le fichier source %2 : il le "
                                      "remplacerait. Choisissez un autre nom pour le fichier PDF!")
                           .arg(job.outputName, clash);
        refused.icon = platform::MsgIcon::Information;
        platform::showMessage(refused);
        return;
    }
    const int32_t result = StartIpPostScript2();
    // Asked to end during the run: now that it has cleaned up.
    if (m_endCode != 0) {
        emit endNow(m_endCode);
        return;
    }
    // A failed, crashed or stopped run has no PDF worth showing.
    if (result == 0 && TabSheet3->opensResult())
        TabSheet3->ShowBtnClick();
}

void TMainForm::endOnRequest(int exitCode)
{
    m_endCode = exitCode;
    // A box's or a dialog's own loop would hold the end until answered.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
            dialog->reject();
    }
    if (m_guard) {
        convert::gsdll_stop(); // the run's end reports it
        return;
    }
    emit endNow(exitCode);
}

int32_t TMainForm::StartIpPostScript2()
{
    convert::JobInput job = TabSheet3->jobInput();
    job.widthMm = TabSheet4->widthMm();
    job.heightMm = TabSheet4->heightMm();

    LogMemo* log = TabSheet3->log();
    log->beginBatch();
    int32_t result;
    {
        ConversionGuard guard(this, TabSheet3->startPicture());
        m_guard = &guard;
        result = convert::RunConversion(job, &gsdllCallback, this,
                                        [log] { log->appendLine(QStringLiteral("terminé...")); });
        m_guard = nullptr;
    }
    log->endBatch();
    return result;
}

// The interpreter's console reaches the log of the window's one instance.
int32_t TMainForm::gsdllCallback(int32_t message, char* str, uint32_t count)
{
    // The log cuts the output into lines at the interpreter's own line
    // feeds, not at the calls that bring it.
    if (message == convert::GsdllOutput && s_instance)
        s_instance->TabSheet3->log()->appendOutput(QByteArrayView(str, qsizetype(count)));
    return convert::consoleAnswer(message, str, count, {});
}

bool TMainForm::event(QEvent* event)
{
    if (event->type() == QEvent::Type(convert::WM_USER)) {
        WMUser(static_cast<convert::WmUserEvent&>(*event));
        return true;
    }
    return QMainWindow::event(event);
}

void TMainForm::WMUser(convert::WmUserEvent& message)
{
    StatusBar1->SetProStatus(int32_t(message.wParam()));
}

// ------------------------------------------------------------------ sources

void TMainForm::openfilenow(const QStringList& files)
{
    if (files.isEmpty())
        return;
    TabSheet3->takeSource(files.constFirst());
    TabSheet3->addSources(files.mid(1));
    PageControl2->setCurrentWidget(TabSheet3);
}

void TMainForm::openCommandLineFiles(const QStringList& names)
{
    const NamedFiles named = namedFiles(names, QDir::currentPath());
    openfilenow(named.files);
    if (named.missing.isEmpty())
        return;
    platform::MessageRequest refused;
    refused.owner = this;
    refused.text = (named.missing.size() == 1
                        ? QStringLiteral("Ce fichier est introuvable ; il n'a pas été pris comme "
                                         "source :\n\n")
                        : QStringLiteral("Ces fichiers sont introuvables ; ils n'ont pas été pris "
                                         "comme sources :\n\n")) +
                   named.missing.join(QLatin1Char('\n'));
    refused.icon = platform::MsgIcon::Warning;
    platform::showMessage(refused);
}

// -------------------------------------------------------------- button bar

void TMainForm::ueberbtnClick()
{
    TAboutBox AboutBox(this);
    AboutBox.exec();
}

void TMainForm::EndeBtnClick()
{
    // The user's own request: asked whatever a log-off query answered.
    m_closeConfirmed = false;
    close();
}

void TMainForm::wwwBtnClick()
{
    platform::shellOpen(QString::fromLatin1(HomePage));
}

} // namespace mainwin
