#pragma once
// A status bar of two panels: the first 250 pixels wide and left empty, the
// second from there to the right end, drawn by its owner through drawPanel.

#include <QWidget>

#include <functional>

class QPainter;
class QSizeGrip;

namespace mainwin {

class StatusBar : public QWidget
{
    Q_OBJECT
public:
    static constexpr int FirstPanelWidth = 250;

    explicit StatusBar(QWidget* parent);

    // The drawing rectangle of the owner-drawn panel, inside its bevel.
    QRect panelRect() const;
    // The surface to draw on; valid only during drawPanel and paintNow.
    QPainter* canvas() const { return m_canvas; }
    // Paints `region` at once with `paint`, over what is already shown.
    void paintNow(const QRect& region, const std::function<void(QPainter&)>& paint);

signals:
    void drawPanel(int panel, const QRect& rect);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QSizeGrip* m_grip;
    QPainter* m_canvas = nullptr;
    std::function<void(QPainter&)> m_paintNow;
};

} // namespace mainwin
