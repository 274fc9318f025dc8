#pragma once
// TMainForm: the converter's window. Four pages in tabs, a button bar and a
// status bar that shows the progress of a run. The window starts and ends
// the program, carries files from one page to another and runs conversions.

#include <QMainWindow>

#include <cstdint>

class QTabWidget;
class QToolButton;

namespace convert {
class WmUserEvent;
}

namespace mainwin {

class BrowsePage;
class ConversionGuard;
class CreatePage;
class HelpPage;
class PageSizePage;
class PageSheet;
class PictureButton;
class ProgressStatusBar;

class TMainForm : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr int OuterWidth = 622;
    static constexpr int OuterHeight = 489;
    // What the window's frame adds to its client area: the borders and the
    // caption, as the window is drawn on the desktop it was laid out for.
    static constexpr int FrameWidth = 8;
    static constexpr int FrameHeight = 27;
    static const char* const HomePage;

    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Moves the window to the centre of its screen.
    void centreOnScreen();

    // The system's question before a log-off: false refuses it.
    bool queryEndSession();

    // Converts what the page "Créer le fichier PDF" shows, after checking
    // that there is something to convert, and opens the PDF if asked to.
    void GoBtn1Click();

    // "Open with": the names given when the program starts become the
    // sources as a picked file does; names of no file are refused in a box.
    void openCommandLineFiles(const QStringList& names);

    // A request from outside to end the program (a stop signal): open
    // boxes and dialogs are dismissed, a run in progress is stopped and its
    // unfinished PDF removed, then `endNow` reports `exitCode`. Nothing is
    // asked and no setting is saved, as when the process is stopped.
    void endOnRequest(int exitCode);

signals:
    void endNow(int exitCode);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildButtonBar();

    // Fills the pages from the program's settings.
    void FormCreate();
    // Asks whether to quit; canClose is false when the user declines.
    void FormCloseQuery(bool& canClose);
    // Stores what is kept for the next start.
    void FormClose();

    // Returns the run's result: 0 when the PDF was written.
    int32_t StartIpPostScript2();
    static int32_t gsdllCallback(int32_t message, char* str, uint32_t count);
    void WMUser(convert::WmUserEvent& message);

    // The first of `files` becomes the only source and the others join it;
    // the page "Créer le fichier PDF" comes to the front.
    void openfilenow(const QStringList& files);

    void ueberbtnClick();
    void EndeBtnClick();
    void wwwBtnClick();

    QString ProgramFolder;

    QTabWidget* PageControl2;
    HelpPage* TabSheet1;
    PageSheet* TabSheet2;
    BrowsePage* m_browsePage;
    CreatePage* TabSheet3;
    PageSizePage* TabSheet4;

    QWidget* Panel7;
    QWidget* Panel8;
    QToolButton* wwwBtn;
    PictureButton* ueberbtn;
    PictureButton* EndeBtn;
    ProgressStatusBar* StatusBar1;

    bool m_closeConfirmed = false;
    ConversionGuard* m_guard = nullptr; // set while a run goes on
    int m_endCode = 0;                  // set by a request to end

    // The window whose log the interpreter's output reaches: the callback
    // has the interpreter's signature (message, text, count) and no room for
    // the window, so it finds it here. Set while a window lives.
    static TMainForm* s_instance;
};

} // namespace mainwin
