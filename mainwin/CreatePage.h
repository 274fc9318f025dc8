#pragma once
// The page "Créer le fichier PDF": the sources, the PDF's name, the run's
// options, the start picture and the interpreter's log.

#include "convert/ConversionJob.h"
#include "mainwin/PageDecor.h"

class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;

namespace mainwin {

class FilenameEdit;
class LogMemo;
class NumericSpinEdit;
class PictureButton;

class CreatePage : public PageSheet
{
    Q_OBJECT
public:
    explicit CreatePage(QWidget* parent);

    // A run without a choice made starts from the first compatibility level
    // and the default optimisation.
    void selectFirstOptions();
    // Where a source or a PDF named without a folder lies: a run reads and
    // writes it there, and the PDF is looked for there.
    void setRelativeNamesFolder(const QString& folder) { m_namesFolder = folder; }

    // `first` becomes the only source, with the PDF named after it.
    void takeSource(const QString& first);
    void addSources(const QStringList& files);

    // True when there are sources and a name for the PDF.
    bool hasInput() const;
    // The run the page describes; the page size is not on this page.
    convert::JobInput jobInput() const;
    // Whether the PDF is to be opened after a run that wrote it.
    bool opensResult() const;
    void ShowBtnClick();

    // The start picture, whose press during a run asks to stop it.
    QWidget* startPicture() const;
    LogMemo* log() const { return Memo1; }

signals:
    // The start picture was clicked.
    void goRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void AddBtnClick();
    void DelBtnClick();
    void BitBtn1Click();
    bool handleEscape(QKeyEvent* event, QObject* receiver);
    // `name` made absolute against the folder of names without one.
    QString withFolder(const QString& name) const;

    QString m_namesFolder;
    QListWidget* ListBox1;
    QPushButton* AddBtn;
    QPushButton* DelBtn;
    FilenameEdit* FilenameEdit2;
    QCheckBox* showcheck;
    PictureButton* GoBtn1;
    QPushButton* ShowBtn;
    QComboBox* KompatBox;
    QComboBox* OptiBox;
    NumericSpinEdit* DPIED;
    QPushButton* BitBtn1;
    LogMemo* Memo1;
};

} // namespace mainwin
