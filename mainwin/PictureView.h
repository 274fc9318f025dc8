#pragma once
// A picture of the program's resources, drawn the first time the widget is
// painted: a picture on a page the start does not show costs nothing then.

#include <QPixmap>
#include <QWidget>

namespace mainwin {

class PictureView : public QWidget
{
    Q_OBJECT
public:
    enum class Look { Plain, Greyed };
    // The resource picture `name` at `size`, which is also the widget's.
    PictureView(const QString& name, const QSize& size, Look look, QWidget* parent);

    QSize sizeHint() const override { return m_size; }
    // What the widget shows, drawn now if it has not been yet.
    QPixmap shown() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_name;
    QSize m_size;
    Look m_look;
    mutable QPixmap m_pixmap;
};

} // namespace mainwin
