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
    // Where a PDF named without a folder is written, and so looked for.
    void setProgramFolder(const QString& folder) { m_programFolder = folder; }

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

    QString m_programFolder;
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
