#pragma once
// The content of the page "Choisir un fichier PostScript" below its header:
// the preferred-folder row, the folder tree and file list side by side,
// and the file-type filter at the foot.

#include <QByteArrayList>
#include <QListWidget>
#include <QWidget>

class FileSystemBrowser;
class QComboBox;
class QSplitter;

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

private:
    FileSystemBrowser* m_browser;
    PrefListWidget* m_prefListBox;
    QComboBox* m_filterComboBox;
    QSplitter* m_splitter;
};
