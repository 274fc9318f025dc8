#include "mainwin/MainUnit.h"

#include "convert/ConsoleOutput.h"
#include "convert/ConversionJob.h"
#include "convert/PageSize.h"
#include "convert/WmUser.h"
#include "mainwin/AboutBoxUnit.h"
#include "mainwin/BrowsePage.h"
#include "mainwin/ConversionGuard.h"
#include "mainwin/FileDrop.h"
#include "mainwin/FileSystemBrowser.h"
#include "mainwin/FilenameEdit.h"
#include "mainwin/LogMemo.h"
#include "mainwin/NumericSpinEdit.h"
#include "mainwin/PageDecor.h"
#include "mainwin/PictureImage.h"
#include "mainwin/Pictures.h"
#include "mainwin/SettingsFiles.h"
#include "mainwin/StatusBar.h"
#include "platform/MessageBox.h"
#include "platform/ProgramPath.h"
#include "platform/ShellOpen.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSessionManager>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

#include <algorithm>

TMainForm* TMainForm::s_instance = nullptr;
const char* const TMainForm::HomePage = "http://www.quorvex.fr/";

namespace {

const QString MissingInputText =
    QStringLiteral("Vous devez spécifier un nom pour le fichier source et un nom pour le "
                   "fichier PDF!");

// The interpreter's console reaches the log of the window's one instance.
int32_t gsdllCallback(int32_t message, char* str, uint32_t count)
{
    return consoleAnswer(message, str, count, [](const QString& line) {
        if (TMainForm* form = TMainForm::instance())
            form->Memo1->appendLine(line);
    });
}

QLabel* label(const QString& text, QWidget* parent, int x, int y, const char* name = nullptr)
{
    auto* l = new QLabel(text, parent);
    if (name)
        l->setObjectName(QLatin1String(name));
    l->move(x, y + 3);
    l->adjustSize();
    return l;
}

template <typename W> W* placed(W* widget, const char* name, int x, int y, int w, int h)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(x, y, w, h);
    return widget;
}

} // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent)
{
    s_instance = this;
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Quorvex Folivant 2.0"));
    setWindowIcon(programIcon());
    setFont(designFont());
    resize(OuterWidth - FrameWidth, OuterHeight - FrameHeight);

    auto* client = new PlacedArea(this);
    setCentralWidget(client);

    PageControl2 = new QTabWidget(client);
    PageControl2->setObjectName(QStringLiteral("PageControl2"));
    PageControl2->setIconSize(QSize(16, 16));
    lightTabsUnderPointer(PageControl2->tabBar());
    TabSheet1 = new PageSheet(QStringLiteral("TabSheet1"),
                              QStringLiteral("Aide - Comment créer un fichier PostScript à partir "
                                             "de n'importe quel type de document"),
                              QString(), QString(), PageControl2);
    TabSheet2 = new PageSheet(
        QStringLiteral("TabSheet2"),
        QStringLiteral("Choisir un fichier PostScript - Choisir le(s) fichier(s) que vous "
                       "désirez convertir au format PDF"),
        QString(), QString(), PageControl2);
    TabSheet3 = new PageSheet(QStringLiteral("TabSheet3"),
                              QStringLiteral("Créer le fichier PDF - Contrôler la source et le "
                                             "nom du fichier PDF à créer, puis cliquer sur GO!"),
                              QStringLiteral("side_create"),
                              QStringLiteral("Créer le fichier PDF..."), PageControl2);
    TabSheet4 = new PageSheet(QStringLiteral("TabSheet4"),
                              QStringLiteral("Taille de la page - Ajuster la taille des pages du "
                                             "fichier PDF"),
                              QStringLiteral("side_pages"), QStringLiteral("Taille de la page..."),
                              PageControl2);
    const QSize tabIcon(16, 16);
    PageControl2->addTab(TabSheet1, QIcon(picture(QStringLiteral("book"), tabIcon)),
                         QStringLiteral("Aide"));
    PageControl2->addTab(TabSheet2, QIcon(picture(QStringLiteral("sheet"), tabIcon)),
                         QStringLiteral("Choisir un fichier PostScript"));
    PageControl2->addTab(TabSheet3, QIcon(picture(QStringLiteral("tools"), tabIcon)),
                         QStringLiteral("Créer le fichier PDF"));
    PageControl2->addTab(TabSheet4, QIcon(picture(QStringLiteral("calculator"), tabIcon)),
                         QStringLiteral("Taille de la page"));

    buildHelpPage();
    buildBrowsePage();
    buildCreatePage();
    buildPageSizePage();

    Panel7 = new PlacedArea(client);
    Panel7->setObjectName(QStringLiteral("Panel7"));
    buildButtonBar();

    StatusBar1 = new StatusBar(client);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    connect(StatusBar1, &StatusBar::drawPanel, this,
            [this](int panel, const QRect& rect) { StatusBar1DrawPanel(StatusBar1, panel, rect); });

    client->setPlacer([this](const QSize& size) {
        const int barTop = size.height() - StatusBar1->height();
        const int panelTop = barTop - 41;
        PageControl2->setGeometry(0, 0, size.width(), qMax(0, panelTop));
        Panel7->setGeometry(0, panelTop, size.width(), 41);
        StatusBar1->setGeometry(0, barTop, size.width(), StatusBar1->height());
    });

    PageControl2->setCurrentWidget(TabSheet2);

    qApp->installEventFilter(this);
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
    FormDestroy();
    qApp->removeEventFilter(this);
    if (s_instance == this)
        s_instance = nullptr;
}

void TMainForm::buildCreatePage()
{
    PlacedArea* area = TabSheet3->area();
    label(QStringLiteral("Fichiers source:"), area, 8, 8 - 3, "Label1");
    ListBox1 = placed(new QListWidget(area), "ListBox1", 104, 8, 289, 57);
    ListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    acceptFileDrops(ListBox1, [this](const QStringList& files) { ListBox1DragDrop(files); });

    AddBtn = placed(new QPushButton(style()->standardIcon(QStyle::SP_DialogApplyButton),
                                    QStringLiteral("&Ajouter un fichier..."), area),
                    "AddBtn", 104, 72, 121, 25);
    DelBtn = placed(new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton),
                                    QStringLiteral("&Supprimer un fichier..."), area),
                    "DelBtn", 232, 72, 137, 25);
    connect(AddBtn, &QPushButton::clicked, this, [this] { AddBtnClick(); });
    connect(DelBtn, &QPushButton::clicked, this, [this] { DelBtnClick(); });

    label(QStringLiteral("Enregistrer sous:"), area, 8, 104, "Label2");
    FilenameEdit2 = placed(new FilenameEdit(area), "FilenameEdit2", 104, 104, 265, 21);
    FilenameEdit2->setFilters(
        {QStringLiteral("PDF-Dateien (*.pdf)"), QStringLiteral("Alle Dateien(*.*) (*)")});

    showcheck = placed(new QCheckBox(QStringLiteral("Ouvrir le fichier PDF dans Acrobat Reader "
                                                    "après sa création "),
                                     area),
                       "showcheck", 8, 128, 361, 17);
    showcheck->setChecked(true);

    m_go = makePictureButton(QStringLiteral("GoBtn1"), QStringLiteral("GoBtn1Down"),
                             QStringLiteral("go"), QStringLiteral("Impression en cours..."), area,
                             QPoint(8, 147));
    GoBtn1 = m_go.normal;
    GoBtn1Down = m_go.pressed;
    connect(GoBtn1, &PictureImage::clicked, this, [this] { GoBtn1Click(); });
    connect(GoBtn1, &PictureImage::pressed, this, [this] { GoBtn1MouseDown(); });
    connect(GoBtn1, &PictureImage::moved, this,
            [this](const QPoint& p) { GoBtn1MouseMove(p.x(), p.y()); });
    connect(GoBtn1, &PictureImage::released, this, [this] { GoBtn1MouseUp(); });
    // A latched start button would otherwise block every later run.
    connect(GoBtn1Down, &PictureImage::clicked, this, [this] { GoBtn1Click(); });

    ShowBtn = placed(new QPushButton(style()->standardIcon(QStyle::SP_FileIcon),
                                     QStringLiteral("&Visionner..."), area),
                     "ShowBtn", 269, 144, 97, 25);
    connect(ShowBtn, &QPushButton::clicked, this, [this] { ShowBtnClick(); });

    label(QStringLiteral("Compatibilité:"), area, 8, 184, "Label3");
    KompatBox = placed(new QComboBox(area), "KompatBox", 104, 184, 289, 21);
    KompatBox->addItems(
        {QStringLiteral("Format du fichier PDF 1.2 (compatible Acrobat 3 et suivants)"),
         QStringLiteral("Format du fichier PDF 1.3 (compatible Acrobat 4 et suivants)"),
         QStringLiteral("Format du fichier PDF 1.4 (compatible Acrobat 5 et suivants)")});
    label(QStringLiteral("Optimisation:"), area, 8, 208, "Label4");
    OptiBox = placed(new QComboBox(area), "OptiBox", 104, 208, 289, 21);
    OptiBox->addItems({QStringLiteral("Par défaut (l'option qualité est sans effet)"),
                       QStringLiteral("Optimisé pour l'affichage"),
                       QStringLiteral("Optimisé pour l'impression"),
                       QStringLiteral("Optimisé pour usage professionnel")});
    KompatBox->setCurrentIndex(-1);
    OptiBox->setCurrentIndex(-1);

    label(QStringLiteral("Qualité de l'image:"), area, 8, 232, "Label5");
    DPIED = placed(new NumericSpinEdit({10, 100000, 0}, 10, area), "DPIED", 104, 232, 65, 21);
    DPIED->setValue(72);
    label(QStringLiteral("PPP"), area, 176, 232, "Label6");
    BitBtn1 = placed(new QPushButton(style()->standardIcon(QStyle::SP_BrowserReload),
                                     QStringLiteral("Résolution"), area),
                     "BitBtn1", 208, 232, 145, 25);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });

    Memo1 = new LogMemo(area);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    area->setPlacer([this](const QSize& size) {
        Memo1->setGeometry(0, qMax(0, size.height() - 77), size.width(), 77);
    });
}

void TMainForm::buildPageSizePage()
{
    PlacedArea* area = TabSheet4->area();
    const NumericBounds mm{10, 10000, 2};
    const NumericBounds inches{0.5, 10000, 2};
    label(QStringLiteral("Largeur:"), area, 8, 8, "Label7");
    BreitEd = placed(new NumericSpinEdit(mm, 1, area), "BreitEd", 72, 8, 73, 21);
    label(QStringLiteral("mm ="), area, 152, 8, "Label10");
    WidthEd = placed(new NumericSpinEdit(inches, 1, area), "WidthEd", 184, 8, 73, 21);
    label(QStringLiteral("pouces"), area, 264, 8, "Label9");
    label(QStringLiteral("Hauteur:"), area, 8, 32, "Label8");
    HochEd = placed(new NumericSpinEdit(mm, 1, area), "HochEd", 72, 32, 73, 21);
    label(QStringLiteral("mm ="), area, 152, 32, "Label11");
    HeightEd = placed(new NumericSpinEdit(inches, 1, area), "HeightEd", 184, 32, 73, 21);
    label(QStringLiteral("pouces"), area, 264, 32, "Label12");
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

    struct Place
    {
        const char* name;
        int y;
        void (TMainForm::*click)();
    };
    const Place places[] = {
        {"FormatLegalBtn", 64, &TMainForm::FormatLegalBtnClick},
        {"FormatLetterBtn", 96, &TMainForm::FormatLetterBtnClick},
        {"FormatExecutiveBtn", 128, &TMainForm::FormatExecutiveBtnClick},
        {"FormatTabloidBtn", 160, &TMainForm::FormatTabloidBtnClick},
        {"FormatA4Btn", 200, &TMainForm::FormatA4BtnClick},
        {"FormatA5Btn", 232, &TMainForm::FormatA5BtnClick},
        {"FormatA3Btn", 264, &TMainForm::FormatA3BtnClick},
    };
    for (const Place& place : places) {
        QString caption;
        for (const PagePreset& preset : pagePresets())
            if (qstrcmp(preset.buttonName, place.name) == 0)
                caption = preset.caption;
        auto* button = placed(new QPushButton(caption, area), place.name, 8, place.y, 137, 25);
        const auto click = place.click;
        connect(button, &QPushButton::clicked, this, [this, click] { (this->*click)(); });
    }
}

void TMainForm::buildButtonBar()
{
    wwwBtn = placed(new QToolButton(Panel7), "wwwBtn", 5, 5, 137, 33);
    wwwBtn->setAutoRaise(true);
    wwwBtn->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    wwwBtn->setIcon(QIcon(picture(QStringLiteral("icon"), QSize(24, 25))));
    wwwBtn->setIconSize(QSize(24, 25));
    wwwBtn->setText(QStringLiteral("www.quorvex.fr"));
    wwwBtn->setToolTip(QStringLiteral("Aller à la page d'accueil de Quorvex"));
    wwwBtn->setCursor(Qt::PointingHandCursor);
    connect(wwwBtn, &QToolButton::clicked, this, [this] { wwwBtnClick(); });

    Panel8 = new QWidget(Panel7);
    Panel8->setObjectName(QStringLiteral("Panel8"));
    Panel8->resize(214, 41);
    m_ueber = makePictureButton(QStringLiteral("ueberbtn"), QStringLiteral("ueberBtn2"),
                                QStringLiteral("about"), QStringLiteral("A propos de Pagevell"),
                                Panel8, QPoint(1, 4));
    ueberbtn = m_ueber.normal;
    ueberBtn2 = m_ueber.pressed;
    connect(ueberbtn, &PictureImage::clicked, this, [this] { ueberbtnClick(); });
    connect(ueberbtn, &PictureImage::pressed, this, [this] { ueberbtnMouseDown(); });
    connect(ueberbtn, &PictureImage::moved, this,
            [this](const QPoint& p) { ueberbtnMouseMove(p.x(), p.y()); });
    connect(ueberbtn, &PictureImage::released, this, [this] { ueberbtnMouseUp(); });
    connect(ueberBtn2, &PictureImage::clicked, this, [this] { ueberBtn2Click(); });

    m_ende = makePictureButton(QStringLiteral("EndeBtn"), QStringLiteral("EndeBtnDown"),
                               QStringLiteral("quit"), QStringLiteral("Vous quittez le programme"),
                               Panel8, QPoint(105, 4));
    EndeBtn = m_ende.normal;
    EndeBtnDown = m_ende.pressed;
    connect(EndeBtn, &PictureImage::clicked, this, [this] { EndeBtnClick(); });
    connect(EndeBtn, &PictureImage::pressed, this, [this] { EndeBtnMouseDown(); });
    connect(EndeBtn, &PictureImage::moved, this,
            [this](const QPoint& p) { EndeBtnMouseMove(p.x(), p.y()); });
    connect(EndeBtn, &PictureImage::released, this, [this] { EndeBtnMouseUp(); });
    connect(EndeBtnDown, &PictureImage::clicked, this, [this] { EndeBtnClick(); });

    static_cast<PlacedArea*>(Panel7)->setPlacer(
        [this](const QSize& size) { Panel8->move(size.width() - Panel8->width(), 0); });
}

TMainForm::PictureButton TMainForm::makePictureButton(const QString& normalName,
                                                      const QString& pressedName,
                                                      const QString& pictureName,
                                                      const QString& hint, QWidget* parent,
                                                      const QPoint& at)
{
    const QPixmap face = picture(pictureName, QSize(101, 30));
    PictureButton button;
    button.normal = new PictureImage(face, true, parent);
    button.pressed = new PictureImage(greyed(face), false, parent);
    button.normal->setObjectName(normalName);
    button.pressed->setObjectName(pressedName);
    for (PictureImage* image : {button.normal, button.pressed}) {
        image->move(at);
        image->setToolTip(hint);
    }
    button.pressed->hide();
    return button;
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
    selectFirstOptions();
    determineProgramFolder();
    showProgramFolderInTree();
    loadPreferredFolders();
    alignMillimetresWithInches();
    if (!loadSavedPageSize())
        return;
}

void TMainForm::selectFirstOptions()
{
    KompatBox->setCurrentIndex(0);
    OptiBox->setCurrentIndex(0);
}

void TMainForm::determineProgramFolder()
{
    ProgramFolder = platform::programFolder();
}

void TMainForm::showProgramFolderInTree()
{
    m_browsePage->browser()->selectFolder(ProgramFolder);
}

void TMainForm::loadPreferredFolders()
{
    if (const auto folders = settings::loadPrefFolders(ProgramFolder))
        m_browsePage->setPrefFolderLines(*folders);
}

void TMainForm::alignMillimetresWithInches()
{
    WidthEdChange();
    HeightEdChange();
}

bool TMainForm::loadSavedPageSize()
{
    const auto stored = settings::loadPageSize(ProgramFolder);
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

// ----------------------------------------------------------------- closing

void TMainForm::FormCloseQuery(QObject*, bool& canClose)
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
    savePageSize();
}

void TMainForm::savePageSize()
{
    // What the fields show, even where the field with the focus still holds
    // a typed third decimal or an out-of-range value.
    settings::savePageSize(ProgramFolder, BreitEd->settledValue(), HochEd->settledValue());
}

void TMainForm::FormDestroy() {}

bool TMainForm::queryEndSession()
{
    bool canClose = true;
    FormCloseQuery(this, canClose);
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
        FormCloseQuery(this, canClose);
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
    showNormal(m_go);
    platform::MessageRequest missing;
    missing.owner = this;
    missing.text = MissingInputText;
    missing.icon = platform::MsgIcon::Information;
    if (ListBox1->count() == 0 || FilenameEdit2->fileName().isEmpty()) {
        platform::showMessage(missing);
        return;
    }
    // A failed, crashed or stopped run has no PDF worth showing.
    if (StartIpPostScript2() == 0 && showcheck->isChecked())
        ShowBtnClick();
}

int32_t TMainForm::StartIpPostScript2()
{
    JobInput job;
    for (int i = 0; i < ListBox1->count(); ++i)
        job.sources << ListBox1->item(i)->text();
    job.outputName = FilenameEdit2->fileName();
    job.compatIndex = KompatBox->currentIndex();
    job.optiIndex = OptiBox->currentIndex();
    // The start button takes no focus, so a field may still hold a typed
    // value out of its bounds; read it as leaving the field would set it.
    // Fraction dropped, not rounded.
    job.resolution = int(clampToBounds(DPIED->value(), DPIED->bounds()));
    job.widthMm = clampToBounds(BreitEd->value(), BreitEd->bounds());
    job.heightMm = clampToBounds(HochEd->value(), HochEd->bounds());

    Memo1->beginBatch();
    int32_t result;
    {
        ConversionGuard guard(this, GoBtn1);
        m_guard = &guard;
        result = RunConversion(job, &gsdllCallback, this,
                               [this] { Memo1->appendLine(QStringLiteral("terminé...")); });
        m_guard = nullptr;
    }
    Memo1->endBatch();
    return result;
}

void TMainForm::ShowBtnClick()
{
    QString name = FilenameEdit2->fileName();
    if (name.isEmpty())
        return;
    // A run writes a name without a folder into the program's folder; look
    // for it there too rather than making an empty file elsewhere.
    if (QFileInfo(name).isRelative() && !ProgramFolder.isEmpty())
        name = QDir(ProgramFolder).filePath(name);
    const QString shortName = ShortFileName(name);
    if (!shortName.isEmpty())
        platform::shellOpen(shortName);
}

void TMainForm::BitBtn1Click()
{
    DPIED->setValue(300);
}

void TMainForm::AddBtnClick()
{
    QFileDialog OpenDialog1(this);
    OpenDialog1.setObjectName(QStringLiteral("OpenDialog1"));
    OpenDialog1.setFileMode(QFileDialog::ExistingFiles);
    OpenDialog1.setNameFilters({QStringLiteral("Fichiers PostScript (*.ps *.prn)"),
                                QStringLiteral("Tous les fichiers (*.*) (*)")});
    OpenDialog1.setDefaultSuffix(QStringLiteral("ps"));
    if (OpenDialog1.exec() != QDialog::Accepted)
        return;
    ListBox1->addItems(OpenDialog1.selectedFiles());
}

void TMainForm::DelBtnClick()
{
    for (int i = ListBox1->count() - 1; i >= 0; --i)
        if (ListBox1->item(i)->isSelected())
            delete ListBox1->takeItem(i);
}

// ---------------------------------------------------------------- progress

bool TMainForm::event(QEvent* event)
{
    if (event->type() == QEvent::Type(WM_USER)) {
        WMUser(static_cast<WmUserEvent&>(*event));
        return true;
    }
    return QMainWindow::event(event);
}

void TMainForm::WMUser(WmUserEvent& message)
{
    SetProStatus(int32_t(message.wParam()));
}

void TMainForm::SetProStatus(int32_t value)
{
    if (value < m_progress) {
        // The bar shrinks: the old, longer one has to go.
        m_progress = value;
        StatusBar1->repaint();
    } else {
        m_progress = value;
        SBarPaintMore();
    }
}

namespace {
// The right end of the bar for `percent` of the rectangle.
int32_t barEnd(const TMainForm::Rect& r, int32_t percent)
{
    const int64_t end = int64_t(r.left) + (int64_t(r.right) - r.left) * percent / 100;
    return int32_t(std::clamp<int64_t>(end, INT32_MIN, INT32_MAX));
}

void paintBar(QPainter& painter, const TMainForm::Rect& r, int32_t end)
{
    if (end <= r.left || r.bottom <= r.top)
        return;
    painter.fillRect(QRect(QPoint(r.left, r.top), QPoint(end - 1, r.bottom - 1)),
                     QColor(0, 0, 128));
}
} // namespace

void TMainForm::StatusBar1DrawPanel(StatusBar* statusBar, int, const QRect& rect)
{
    const Rect r{rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1};
    if (QPainter* canvas = statusBar->canvas())
        paintBar(*canvas, r, barEnd(r, m_progress));
    m_progressRect = r;
}

void TMainForm::SBarPaintMore()
{
    const Rect r = m_progressRect;
    const int32_t end = qMin(barEnd(r, m_progress), r.right);
    if (end <= r.left)
        return;
    StatusBar1->paintNow(QRect(QPoint(r.left, r.top), QPoint(end - 1, r.bottom - 1)),
                         [r, end](QPainter& painter) { paintBar(painter, r, end); });
}

// --------------------------------------------------------------- page size

void TMainForm::convertUnit(NumericSpinEdit* from, NumericSpinEdit* to, double factor)
{
    if (m_unitGuard)
        return;
    m_unitGuard = true;
    to->setValue(factor > 0 ? from->value() * factor : from->value() / -factor);
    m_unitGuard = false;
}

// A negative factor divides by its magnitude, so millimetres are divided by
// the very constant that inches are multiplied with.
void TMainForm::BreitEdChange()
{
    convertUnit(BreitEd, WidthEd, -MmPerInch);
}

void TMainForm::HochEdChange()
{
    convertUnit(HochEd, HeightEd, -MmPerInch);
}

void TMainForm::WidthEdChange()
{
    convertUnit(WidthEd, BreitEd, MmPerInch);
}

void TMainForm::HeightEdChange()
{
    convertUnit(HeightEd, HochEd, MmPerInch);
}

void TMainForm::applyPreset(const char* buttonName)
{
    for (const PagePreset& preset : pagePresets()) {
        if (qstrcmp(preset.buttonName, buttonName) != 0)
            continue;
        BreitEd->setValue(preset.widthMm);
        HochEd->setValue(preset.heightMm);
        if (SetToQuerCheck->isChecked()) {
            const double width = BreitEd->value();
            const double height = HochEd->value();
            BreitEd->setValue(height);
            HochEd->setValue(width);
        }
        return;
    }
}

void TMainForm::FormatA4BtnClick()
{
    applyPreset("FormatA4Btn");
}

void TMainForm::FormatLetterBtnClick()
{
    applyPreset("FormatLetterBtn");
}

void TMainForm::FormatLegalBtnClick()
{
    applyPreset("FormatLegalBtn");
}

void TMainForm::FormatExecutiveBtnClick()
{
    applyPreset("FormatExecutiveBtn");
}

void TMainForm::FormatTabloidBtnClick()
{
    applyPreset("FormatTabloidBtn");
}

void TMainForm::FormatA5BtnClick()
{
    applyPreset("FormatA5Btn");
}

void TMainForm::FormatA3BtnClick()
{
    applyPreset("FormatA3Btn");
}

// --------------------------------------------------------- picture buttons

void TMainForm::pictureDown(PictureButton& button)
{
    button.pressed->show();
    button.normal->hide();
    button.pressFlag = true;
}

void TMainForm::pictureMove(PictureButton& button, int x, int y)
{
    if (!button.pressFlag)
        return;
    const bool over = x >= 0 && x < button.normal->width() && y >= 0 && y < button.normal->height();
    if (over) {
        button.pressed->show();
        button.normal->hide();
    } else {
        button.normal->show();
        button.pressed->hide();
    }
}

void TMainForm::pictureUp(PictureButton& button)
{
    showNormal(button);
}

void TMainForm::showNormal(PictureButton& button)
{
    button.normal->show();
    button.pressed->hide();
    button.pressFlag = false;
}

void TMainForm::GoBtn1MouseDown()
{
    pictureDown(m_go);
}

void TMainForm::GoBtn1MouseMove(int x, int y)
{
    pictureMove(m_go, x, y);
}

void TMainForm::GoBtn1MouseUp()
{
    pictureUp(m_go);
}

void TMainForm::ueberbtnClick()
{
    TAboutBox AboutBox(this);
    showNormal(m_ueber);
    AboutBox.exec();
}

void TMainForm::ueberBtn2Click()
{
    ueberbtnClick();
}

void TMainForm::ueberbtnMouseDown()
{
    pictureDown(m_ueber);
}

void TMainForm::ueberbtnMouseMove(int x, int y)
{
    pictureMove(m_ueber, x, y);
}

void TMainForm::ueberbtnMouseUp()
{
    pictureUp(m_ueber);
}

void TMainForm::EndeBtnClick()
{
    showNormal(m_ende);
    // The user's own request: asked whatever a log-off query answered.
    m_closeConfirmed = false;
    close();
}

void TMainForm::EndeBtnMouseDown()
{
    pictureDown(m_ende);
}

void TMainForm::EndeBtnMouseMove(int x, int y)
{
    pictureMove(m_ende, x, y);
}

void TMainForm::EndeBtnMouseUp()
{
    pictureUp(m_ende);
}

void TMainForm::wwwBtnClick()
{
    platform::shellOpen(QString::fromLatin1(HomePage));
}

void TMainForm::changeEvent(QEvent* event)
{
    // Another window taking over ends a left-button hold; the button then
    // stays pressed, as when the system cancels the hold.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        for (PictureButton* button : {&m_go, &m_ueber, &m_ende})
            button->normal->cancelHold();
    QMainWindow::changeEvent(event);
}

// ---------------------------------------------------------------- keyboard

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && handleEscape(static_cast<QKeyEvent*>(event), watched))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

bool TMainForm::handleEscape(QKeyEvent* event, QObject* receiver)
{
    // DelBtn is the window's cancel button, but only on its own page, and
    // the log keeps Escape for itself.
    if (event->key() != Qt::Key_Escape ||
        (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)))
        return false;
    auto* widget = qobject_cast<QWidget*>(receiver);
    if (!widget || widget->window() != this || !isActiveWindow())
        return false;
    if (PageControl2->currentWidget() != TabSheet3)
        return false;
    QWidget* focus = QApplication::focusWidget();
    if (focus && (focus == Memo1 || Memo1->isAncestorOf(focus)))
        return false;
    if (DelBtn->isEnabled())
        DelBtn->click();
    return true;
}
