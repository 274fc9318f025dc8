#pragma once
// A file-name field with a browse button. A name with blanks is shown in
// double quotes and given back without them.

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace mainwin {

class FilenameEdit : public QWidget
{
    Q_OBJECT
public:
    explicit FilenameEdit(QWidget* parent);

    QString fileName() const;
    void setFileName(const QString& name);
    QLineEdit* lineEdit() const { return m_edit; }
    // Qt name filters for the browse dialog.
    void setFilters(const QStringList& filters) { m_filters = filters; }

private:
    void browse();

    QLineEdit* m_edit;
    QToolButton* m_button;
    QStringList m_filters;
};

} // namespace mainwin
