#pragma once
// The content of the page "Choisir un fichier PostScript" below its header:
// the preferred-folder row, the folder tree and file list side by side,
// and the file-type filter at the foot.

#include <QByteArrayList>
#include <QListWidget>
#include <QWidget>

class QComboBox;
class QSplitter;

namespace mainwin {

class FileSystemBrowser;

// The preferred folders: reports a double-click anywhere in it and every
// character key typed there, which it then handles itself as well.
class PrefListWidget : public QListWidget
{
    Q_OBJECT
public:
    using QListWidget::QListWidget;

signals:
    void doubleClickedAnywhere();
    void characterKey(QChar key);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

class BrowsePage : public QWidget
{
    Q_OBJECT
public:
    explicit BrowsePage(QWidget* parent = nullptr);

    // Where folders.dat is read and written.
    void setProgramFolder(const QString& folder) { m_programFolder = folder; }
    // Start-up: the tree opens at the start folder (StartFolder.h) and the
    // preferred folders are read.
    void showStartFolder(const QString& folder);
    void loadPreferredFolders();

    // Takes the file selected in the list, or opens the selected folder.
    void JamShellList1DblClick();
    // Moves `Folder` to the top of the preferred folders and stores them.
    void AddToPrefFolders(const QString& Folder);
    // Opens the preferred folder under the cursor in the tree.
    void PrefListBoxDblClick();

    FileSystemBrowser* browser() const { return m_browser; }
    PrefListWidget* prefListBox() const { return m_prefListBox; }
    QComboBox* filterComboBox() const { return m_filterComboBox; }

    // Replaces the preferred folders shown, with no entry selected. Each
    // entry keeps the line it came from, bytes unchanged; its text is the
    // folder that the line names.
    void setPrefFolderLines(const QByteArrayList& lines);
    QByteArrayList prefFolderLines() const;
    void setPrefFolders(const QStringList& folders);
    QStringList prefFolders() const;

signals:
    // Files taken from the page: the first is the one picked, the others
    // join it as sources.
    void filesTaken(const QStringList& files);

private:
    bool JamShellList1KeyPress(QChar key);
    void PrefListBoxKeyPress(QChar key);
    void FilterComboBox1Change();
    void JamShellList1DragDrop(const QStringList& files);

    QString m_programFolder;
    FileSystemBrowser* m_browser;
    PrefListWidget* m_prefListBox;
    QComboBox* m_filterComboBox;
    QSplitter* m_splitter;
};

} // namespace mainwin
