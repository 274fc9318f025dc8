#pragma once
// The furniture of the window's pages: bevelled panels, the header band
// that begins every page, the side panel with its picture and title, and a
// plain area that places its children itself when it is resized.

#include <QFont>
#include <QWidget>

#include <functional>

class QLabel;
class QTabBar;

namespace mainwin {

// A panel filled with one colour inside an outer and an inner bevel.
class BevelPanel : public QWidget
{
    Q_OBJECT
public:
    enum class Bevel { None, Raised, Lowered };
    BevelPanel(const QColor& colour, Bevel outer, Bevel inner, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_colour;
    Bevel m_outer;
    Bevel m_inner;
};

// A widget that calls a function with its new size whenever it is resized.
class PlacedArea : public QWidget
{
    Q_OBJECT
public:
    explicit PlacedArea(QWidget* parent) : QWidget(parent) {}
    void setPlacer(std::function<void(const QSize&)> placer);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    std::function<void(const QSize&)> m_placer;
};

// One page: the header band across the top and below it either one area
// or a side panel and an area to its right.
class PageSheet : public PlacedArea
{
    Q_OBJECT
public:
    static constexpr int HeaderHeight = 33;
    static constexpr int SideWidth = 209;

    // `sidePicture` empty: no side panel.
    PageSheet(const QString& name, const QString& headerText, const QString& sidePicture,
              const QString& sideTitle, QWidget* parent);

    BevelPanel* header() const { return m_header; }
    BevelPanel* sidePanel() const { return m_side; }
    PlacedArea* area() const { return m_area; }

private:
    BevelPanel* m_header;
    BevelPanel* m_side = nullptr;
    PlacedArea* m_area;
};

// A label at (x, y + 3), sized to its text: beside a field at y, the two
// texts then share their baseline.
QLabel* placedLabel(const QString& text, QWidget* parent, int x, int y, const char* name);

// Names `widget` and gives it its place.
template <typename W> W* placed(W* widget, const char* name, int x, int y, int w, int h)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(x, y, w, h);
    return widget;
}

// The window's face for every control that names none of its own: an
// 8-point sans, 11 pixels high at 96 dpi, narrow enough for the widths the
// controls are laid out with.
QFont windowFont();

// Makes the tab under the pointer light up, as the system's tabs do.
void lightTabsUnderPointer(QTabBar* tabs);

QColor headerColour();
QColor sidePanelColour();

} // namespace mainwin
