#include "mainwin/CreatePage.h"

#include "convert/NumericText.h"
#include "mainwin/FileDrop.h"
#include "mainwin/FilenameEdit.h"
#include "mainwin/LazyIcon.h"
#include "mainwin/LogMemo.h"
#include "mainwin/NumericSpinEdit.h"
#include "mainwin/PictureButton.h"
#include "mainwin/SourceSelection.h"
#include "platform/ShellOpen.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>

namespace mainwin {

CreatePage::CreatePage(QWidget* parent)
    : PageSheet(QStringLiteral("TabSheet3"),
                QStringLiteral("Créer le fichier PDF - Contrôler la source et le nom du fichier "
                               "PDF à créer, puis cliquer sur GO!"),
                QStringLiteral("side_create"), QStringLiteral("Créer le fichier PDF..."), parent)
{
    PlacedArea* area = this->area();
    placedLabel(QStringLiteral("Fichiers source:"), area, 8, 8 - 3, "Label1");
    ListBox1 = placed(new QListWidget(area), "ListBox1", 104, 8, 289, 57);
    ListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Dropped files join the sources.
    acceptFileDrops(ListBox1, [this](const QStringList& files) { addSources(files); });

    AddBtn = placed(new QPushButton(lazyStandardIcon(QStyle::SP_DialogApplyButton),
                                    QStringLiteral("&Ajouter un fichier..."), area),
                    "AddBtn", 104, 72, 121, 25);
    DelBtn = placed(new QPushButton(lazyStandardIcon(QStyle::SP_DialogCancelButton),
                                    QStringLiteral("&Supprimer un fichier..."), area),
                    "DelBtn", 232, 72, 137, 25);
    connect(AddBtn, &QPushButton::clicked, this, [this] { AddBtnClick(); });
    connect(DelBtn, &QPushButton::clicked, this, [this] { DelBtnClick(); });

    placedLabel(QStringLiteral("Enregistrer sous:"), area, 8, 104, "Label2");
    FilenameEdit2 = placed(new FilenameEdit(area), "FilenameEdit2", 104, 104, 265, 21);
    FilenameEdit2->setFilters(
        {QStringLiteral("PDF-Dateien (*.pdf)"), QStringLiteral("Alle Dateien(*.*) (*)")});

    showcheck = placed(new QCheckBox(QStringLiteral("Ouvrir le fichier PDF dans Acrobat Reader "
                                                    "après sa création "),
                                     area),
                       "showcheck", 8, 128, 361, 17);
    showcheck->setChecked(true);

    GoBtn1 = new PictureButton(QStringLiteral("GoBtn1"), QStringLiteral("GoBtn1Down"),
                               QStringLiteral("go"), QStringLiteral("Impression en cours..."), area,
                               QPoint(8, 147));
    connect(GoBtn1, &PictureButton::activated, this, &CreatePage::goRequested);

    ShowBtn = placed(new QPushButton(lazyStandardIcon(QStyle::SP_FileIcon),
                                     QStringLiteral("&Visionner..."), area),
                     "ShowBtn", 269, 144, 97, 25);
    connect(ShowBtn, &QPushButton::clicked, this, [this] { ShowBtnClick(); });

    placedLabel(QStringLiteral("Compatibilité:"), area, 8, 184, "Label3");
    KompatBox = placed(new QComboBox(area), "KompatBox", 104, 184, 289, 21);
    KompatBox->addItems(
        {QStringLiteral("Format du fichier PDF 1.2 (compatible Acrobat 3 et suivants)"),
         QStringLiteral("Format du fichier PDF 1.3 (compatible Acrobat 4 et suivants)"),
         QStringLiteral("Format du fichier PDF 1.4 (compatible Acrobat 5 et suivants)")});
    placedLabel(QStringLiteral("Optimisation:"), area, 8, 208, "Label4");
    OptiBox = placed(new QComboBox(area), "OptiBox", 104, 208, 289, 21);
    OptiBox->addItems({QStringLiteral("Par défaut (l'option qualité est sans effet)"),
                       QStringLiteral("Optimisé pour l'affichage"),
                       QStringLiteral("Optimisé pour l'impression"),
                       QStringLiteral("Optimisé pour usage professionnel")});
    KompatBox->setCurrentIndex(-1);
    OptiBox->setCurrentIndex(-1);

    placedLabel(QStringLiteral("Qualité de l'image:"), area, 8, 232, "Label5");
    DPIED = placed(new NumericSpinEdit({10, 100000, 0}, 10, area), "DPIED", 104, 232, 65, 21);
    DPIED->setValue(72);
    placedLabel(QStringLiteral("PPP"), area, 176, 232, "Label6");
    BitBtn1 = placed(new QPushButton(lazyStandardIcon(QStyle::SP_BrowserReload),
                                     QStringLiteral("Résolution"), area),
                     "BitBtn1", 208, 232, 145, 25);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });

    Memo1 = new LogMemo(area);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    area->setPlacer([this](const QSize& size) {
        Memo1->setGeometry(0, qMax(0, size.height() - 77), size.width(), 77);
    });
}

void CreatePage::selectFirstOptions()
{
    KompatBox->setCurrentIndex(0);
    OptiBox->setCurrentIndex(0);
}

void CreatePage::takeSource(const QString& first)
{
    ListBox1->clear();
    ListBox1->addItem(first);
    FilenameEdit2->setFileName(outputNameFor(first));
}

void CreatePage::addSources(const QStringList& files)
{
    ListBox1->addItems(files);
}

bool CreatePage::hasInput() const
{
    return ListBox1->count() > 0 && !FilenameEdit2->fileName().isEmpty();
}

QString CreatePage::withFolder(const QString& name) const
{
    // The run and the viewer take the name where the page says it lies,
    // whatever folder is current then.
    if (name.isEmpty() || !QFileInfo(name).isRelative() || m_namesFolder.isEmpty())
        return name;
    return QDir(m_namesFolder).filePath(name);
}

convert::JobInput CreatePage::jobInput() const
{
    convert::JobInput job;
    for (int i = 0; i < ListBox1->count(); ++i)
        job.sources << withFolder(ListBox1->item(i)->text());
    job.outputName = withFolder(FilenameEdit2->fileName());
    job.compatIndex = KompatBox->currentIndex();
    job.optiIndex = OptiBox->currentIndex();
    // The start picture takes no focus, so the field may still hold a typed
    // value out of its bounds; read it as leaving the field would set it,
    // the fraction dropped, not rounded.
    job.resolution = int(convert::clampToBounds(DPIED->value(), DPIED->bounds()));
    return job;
}

bool CreatePage::opensResult() const
{
    return showcheck->isChecked();
}

QWidget* CreatePage::startPicture() const
{
    return GoBtn1;
}

void CreatePage::ShowBtnClick()
{
    const QString name = withFolder(FilenameEdit2->fileName());
    if (name.isEmpty())
        return;
    const QString shortName = convert::ShortFileName(name);
    if (!shortName.isEmpty())
        platform::shellOpen(shortName);
}

void CreatePage::AddBtnClick()
{
    QFileDialog OpenDialog1(this);
    OpenDialog1.setObjectName(QStringLiteral("OpenDialog1"));
    OpenDialog1.setFileMode(QFileDialog::ExistingFiles);
    OpenDialog1.setNameFilters({QStringLiteral("Fichiers PostScript (*.ps *.prn *.eps)"),
                                QStringLiteral("Tous les fichiers (*.*) (*)")});
    OpenDialog1.setDefaultSuffix(QStringLiteral("ps"));
    if (OpenDialog1.exec() != QDialog::Accepted)
        return;
    ListBox1->addItems(OpenDialog1.selectedFiles());
}

void CreatePage::DelBtnClick()
{
    for (int i = ListBox1->count() - 1; i >= 0; --i)
        if (ListBox1->item(i)->isSelected())
            delete ListBox1->takeItem(i);
}

void CreatePage::BitBtn1Click()
{
    DPIED->setValue(300);
}

// While the page is shown, Escape anywhere in its window presses DelBtn, as
// a dialog's cancel button takes it; the filter sees the key before the
// focused control can swallow it.
void CreatePage::showEvent(QShowEvent* event)
{
    qApp->installEventFilter(this);
    PageSheet::showEvent(event);
}

void CreatePage::hideEvent(QHideEvent* event)
{
    qApp->removeEventFilter(this);
    PageSheet::hideEvent(event);
}

bool CreatePage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && handleEscape(static_cast<QKeyEvent*>(event), watched))
        return true;
    return PageSheet::eventFilter(watched, event);
}

bool CreatePage::handleEscape(QKeyEvent* event, QObject* receiver)
{
    if (event->key() != Qt::Key_Escape ||
        (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)))
        return false;
    auto* widget = qobject_cast<QWidget*>(receiver);
    if (!widget || widget->window() != window() || !isActiveWindow() || !isVisible())
        return false;
    // The log keeps Escape for itself.
    QWidget* focus = QApplication::focusWidget();
    if (focus && (focus == Memo1 || Memo1->isAncestorOf(focus)))
        return false;
    if (DelBtn->isEnabled())
        DelBtn->click();
    return true;
}

} // namespace mainwin
