#pragma once
// TMainForm: the converter's window. Four pages, a button bar, a status bar
// whose second panel shows the progress of a run, and the conversion job's
// window side.

#include <QMainWindow>

#include <cstdint>

class BevelPanel;
class BrowsePage;
class ConversionGuard;
class FilenameEdit;
class LogMemo;
class NumericSpinEdit;
class PageSheet;
class PictureImage;
class PrefListWidget;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSessionManager;
class QTextEdit;
class QTreeView;
class QTabWidget;
class QToolButton;
class ShellListView;
class StatusBar;
class WmUserEvent;

class TMainForm : public QMainWindow
{
    Q_OBJECT
public:
    // A rectangle whose right and bottom edges lie just outside it.
    struct Rect
    {
        int32_t left = 0;
        int32_t top = 0;
        int32_t right = 0;
        int32_t bottom = 0;
    };

    static constexpr int OuterWidth = 622;
    static constexpr int OuterHeight = 489;
    // The window's own frame as the design counts it (borders and caption).
    static constexpr int FrameWidth = 8;
    static constexpr int FrameHeight = 27;
    static const char* const HomePage;

    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Moves the window to the centre of its screen.
    void centreOnScreen();

    // Start-up and end, in the order the program runs them.
    void FormCreate();
    void FormCloseQuery(QObject* sender, bool& canClose);
    void FormClose();
    void FormDestroy();
    // The system's question before a log-off: false refuses it.
    bool queryEndSession();

    // The conversion job.
    void GoBtn1Click();
    // Returns the run's result: 0 when the PDF was written.
    int32_t StartIpPostScript2();
    void ShowBtnClick();
    void BitBtn1Click();
    void AddBtnClick();
    void DelBtnClick();

    // Progress.
    void WMUser(WmUserEvent& message);
    void SetProStatus(int32_t value);
    void StatusBar1DrawPanel(StatusBar* statusBar, int panel, const QRect& rect);
    void SBarPaintMore();
    int32_t progressValue() const { return m_progress; }
    Rect progressRect() const { return m_progressRect; }

    // Page size.
    void BreitEdChange();
    void HochEdChange();
    void WidthEdChange();
    void HeightEdChange();
    void FormatA4BtnClick();
    void FormatLetterBtnClick();
    void FormatLegalBtnClick();
    void FormatExecutiveBtnClick();
    void FormatTabloidBtnClick();
    void FormatA5BtnClick();
    void FormatA3BtnClick();

    // Source selection.
    void JamShellList1DblClick();
    // Returns true when the key was consumed.
    bool JamShellList1KeyPress(QChar key);
    void openfilenow(const QString& FileName);
    // "Open with": the names given when the program starts become the
    // sources as a picked file does; names of no file are refused in a box.
    void openCommandLineFiles(const QStringList& names);
    // Files dragged onto the source list join it; onto the file list, the
    // first is taken as a picked file and the others join it.
    void ListBox1DragDrop(const QStringList& files);
    void JamShellList1DragDrop(const QStringList& files);
    void AddToPrefFolders(const QString& Folder);
    void PrefListBoxDblClick();
    void PrefListBoxKeyPress(QChar key);
    void FilterComboBox1Change();
    BrowsePage* browsePage() const { return m_browsePage; }

    // Picture buttons.
    void GoBtn1MouseDown();
    void GoBtn1MouseMove(int x, int y);
    void GoBtn1MouseUp();
    void ueberbtnClick();
    void ueberBtn2Click();
    void ueberbtnMouseDown();
    void ueberbtnMouseMove(int x, int y);
    void ueberbtnMouseUp();
    void EndeBtnClick();
    void EndeBtnMouseDown();
    void EndeBtnMouseMove(int x, int y);
    void EndeBtnMouseUp();
    void wwwBtnClick();

    // The window's one instance, which the interpreter's callback reaches.
    static TMainForm* instance() { return s_instance; }

    QString ProgramFolder;

    QTabWidget* PageControl2;
    PageSheet* TabSheet1; // "Aide"
    PageSheet* TabSheet2; // "Choisir un fichier PostScript"
    PageSheet* TabSheet3; // "Créer le fichier PDF"
    PageSheet* TabSheet4; // "Taille de la page"

    QTextEdit* RichEdit1;

    PrefListWidget* PrefListBox;
    QTreeView* JamShellTree1;
    ShellListView* JamShellList1;
    QComboBox* FilterComboBox1;

    QListWidget* ListBox1;
    QPushButton* AddBtn;
    QPushButton* DelBtn;
    FilenameEdit* FilenameEdit2;
    QCheckBox* showcheck;
    PictureImage* GoBtn1;
    PictureImage* GoBtn1Down;
    QPushButton* ShowBtn;
    QComboBox* KompatBox;
    QComboBox* OptiBox;
    NumericSpinEdit* DPIED;
    QPushButton* BitBtn1;
    LogMemo* Memo1;

    NumericSpinEdit* BreitEd;
    NumericSpinEdit* HochEd;
    NumericSpinEdit* WidthEd;
    NumericSpinEdit* HeightEd;
    QRadioButton* SetToHochCheck;
    QRadioButton* SetToQuerCheck;

    QWidget* Panel7;
    QWidget* Panel8;
    QToolButton* wwwBtn;
    PictureImage* ueberbtn;
    PictureImage* ueberBtn2;
    PictureImage* EndeBtn;
    PictureImage* EndeBtnDown;
    StatusBar* StatusBar1;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // One picture button: its two pictures and its press flag.
    struct PictureButton
    {
        PictureImage* normal = nullptr;
        PictureImage* pressed = nullptr;
        bool pressFlag = false;
    };

    // FormCreate's steps.
    void selectFirstOptions();
    void determineProgramFolder();
    void showProgramFolderInTree();
    void loadPreferredFolders();
    void alignMillimetresWithInches();
    bool loadSavedPageSize();
    // FormClose's step.
    void savePageSize();

    void buildHelpPage();
    void buildBrowsePage();
    void buildCreatePage();
    void buildPageSizePage();
    void buildButtonBar();
    PictureButton makePictureButton(const QString& normalName, const QString& pressedName,
                                    const QString& pictureName, const QString& hint,
                                    QWidget* parent, const QPoint& at);

    void pictureDown(PictureButton& button);
    void pictureMove(PictureButton& button, int x, int y);
    void pictureUp(PictureButton& button);
    void showNormal(PictureButton& button);

    void convertUnit(NumericSpinEdit* from, NumericSpinEdit* to, double factor);
    void applyPreset(const char* buttonName);
    bool handleEscape(QKeyEvent* event, QObject* receiver);

    BrowsePage* m_browsePage = nullptr;
    PictureButton m_go;
    PictureButton m_ueber;
    PictureButton m_ende;
    int32_t m_progress = 0;
    Rect m_progressRect;
    bool m_unitGuard = false;
    bool m_closeConfirmed = false;
    ConversionGuard* m_guard = nullptr; // set while a run goes on

    static TMainForm* s_instance;
};
