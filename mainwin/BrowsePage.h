#pragma once
// The content of the page "Choisir un fichier PostScript" below its header:
// the preferred-folder row, the folder tree and file list side by side,
// and the file-type filter at the foot.

#include <QWidget>

class FileSystemBrowser;
class QComboBox;
class QListWidget;
class QSplitter;

class BrowsePage : public QWidget
{
    Q_OBJECT
public:
    explicit BrowsePage(QWidget* parent = nullptr);

    FileSystemBrowser* browser() const { return m_browser; }
    QListWidget* prefListBox() const { return m_prefListBox; }
    QComboBox* filterComboBox() const { return m_filterComboBox; }

    // Replaces the preferred folders shown, with no entry selected.
    void setPrefFolders(const QStringList& folders);
    QStringList prefFolders() const;

private:
    FileSystemBrowser* m_browser;
    QListWidget* m_prefListBox;
    QComboBox* m_filterComboBox;
    QSplitter* m_splitter;
};
