#include "mainwin/FilenameEdit.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

namespace mainwin {

FilenameEdit::FilenameEdit(QWidget* parent)
    : QWidget(parent), m_edit(new QLineEdit(this)), m_button(new QToolButton(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_edit);
    layout->addWidget(m_button);
    m_button->setText(QStringLiteral("..."));
    m_button->setFocusPolicy(Qt::NoFocus);
    setFocusProxy(m_edit);
    connect(m_button, &QToolButton::clicked, this, [this] { browse(); });
}

QString FilenameEdit::fileName() const
{
    const QString text = m_edit->text().trimmed();
    if (!text.startsWith(QLatin1Char('"')))
        return text;
    // The quoted part, up to the last quote: a name may hold quotes of its
    // own. An unclosed quote runs to the end.
    const int close = int(text.lastIndexOf(QLatin1Char('"')));
    return close <= 0 ? text.mid(1) : text.mid(1, close - 1);
}

void FilenameEdit::setFileName(const QString& name)
{
    // A name that begins with a quote is quoted too, or its own quote would
    // be read back as one of ours.
    const bool quote = name.contains(QLatin1Char(' ')) || name.startsWith(QLatin1Char('"'));
    m_edit->setText(quote ? QLatin1Char('"') + name + QLatin1Char('"') : name);
}

void FilenameEdit::browse()
{
    QFileDialog dialog(this);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(m_filters);
    const QString current = fileName();
    if (!current.isEmpty())
        dialog.selectFile(current);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        setFileName(dialog.selectedFiles().constFirst());
}

} // namespace mainwin
