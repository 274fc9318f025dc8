#include "mainwin/PageDecor.h"

#include "mainwin/PictureView.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QProxyStyle>
#include <QResizeEvent>
#include <QStyleOption>
#include <QTabBar>
#include <qdrawutil.h>

namespace mainwin {

QColor headerColour()
{
    return QColor(240, 202, 166);
}

QColor sidePanelColour()
{
    return QColor(192, 220, 192);
}

namespace {
// Draws the tabs as the window's style does, then lights the one under the
// pointer: a paler face and a warm line along its top edge. The chosen tab
// stays as it is.
class HotTabStyle : public QProxyStyle
{
public:
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        QProxyStyle::drawControl(element, option, painter, widget);
        if (element != CE_TabBarTabShape)
            return;
        const State state = option->state;
        if (!(state & State_MouseOver) || (state & State_Selected) || !(state & State_Enabled))
            return;
        // Inside the tab's outline, which the style draws one pixel wide.
        const QRect face = option->rect.adjusted(1, 1, -1, 0);
        painter->save();
        painter->fillRect(face, QColor(255, 255, 255, 120));
        painter->fillRect(QRect(face.topLeft(), QSize(face.width(), 2)), QColor(255, 200, 60));
        painter->restore();
    }
};
} // namespace

QFont windowFont()
{
    // Of Debian's faces, DejaVu Sans Condensed is the one that still shows
    // the longest compatibility entry whole in its 289-pixel box (258 pixels
    // of text where 262 fit) and keeps the 13-pixel line the rows are spaced
    // for. The face the window was first drawn with needs 283 pixels there.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStretch(QFont::Condensed);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

void lightTabsUnderPointer(QTabBar* tabs)
{
    auto* style = new HotTabStyle;
    style->setParent(tabs);
    tabs->setStyle(style);
    // Hover events tell the bar which tab is under the pointer.
    tabs->setAttribute(Qt::WA_Hover);
}

BevelPanel::BevelPanel(const QColor& colour, Bevel outer, Bevel inner, QWidget* parent)
    : QWidget(parent), m_colour(colour), m_outer(outer), m_inner(inner)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void BevelPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_colour);
    QPalette pal = palette();
    pal.setColor(QPalette::Light, m_colour.lighter(150));
    pal.setColor(QPalette::Dark, m_colour.darker(160));
    QRect r = rect();
    for (Bevel bevel : {m_outer, m_inner}) {
        if (bevel == Bevel::None)
            continue;
        qDrawShadeRect(&painter, r, pal, bevel == Bevel::Lowered, 1, 0);
        r.adjust(1, 1, -1, -1);
    }
}

void PlacedArea::setPlacer(std::function<void(const QSize&)> placer)
{
    m_placer = std::move(placer);
    if (m_placer)
        m_placer(size());
}

void PlacedArea::resizeEvent(QResizeEvent* event)
{
    if (m_placer)
        m_placer(event->size());
}

PageSheet::PageSheet(const QString& name, const QString& headerText, const QString& sidePicture,
                     const QString& sideTitle, QWidget* parent)
    : PlacedArea(parent), m_header(new BevelPanel(headerColour(), BevelPanel::Bevel::Lowered,
                                                  BevelPanel::Bevel::Raised, this)),
      m_area(new PlacedArea(this))
{
    setObjectName(name);
    m_header->setObjectName(name + QStringLiteral("Header"));
    m_area->setObjectName(name + QStringLiteral("Area"));

    auto* caption = new QLabel(headerText, m_header);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    caption->move(16, 10);
    caption->adjustSize();

    if (!sidePicture.isEmpty()) {
        m_side = new BevelPanel(sidePanelColour(), BevelPanel::Bevel::Raised,
                                BevelPanel::Bevel::None, this);
        m_side->setObjectName(name + QStringLiteral("Side"));
        auto* frame = new QFrame(m_side);
        frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        frame->setLineWidth(1);
        frame->setGeometry(7, 7, 195, 284);
        auto* photo =
            new PictureView(sidePicture, QSize(193, 281), PictureView::Look::Plain, frame);
        photo->move(1, 1);

        auto* titleBox = new BevelPanel(headerColour(), BevelPanel::Bevel::Raised,
                                        BevelPanel::Bevel::Lowered, frame);
        titleBox->setGeometry(8, 8, 177, 73);
        auto* title = new QLabel(sideTitle, titleBox);
        QFont black;
        black.setFamilies({QStringLiteral("Arial Black"), QStringLiteral("Arial"),
                           QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans")});
        black.setPixelSize(19);
        black.setStretch(QFont::Unstretched); // not the window's condensed face
        black.setWeight(QFont::Black);
        title->setFont(black);
        title->setWordWrap(true);
        title->setStyleSheet(QStringLiteral("color: #800000"));
        title->setGeometry(6, 4, 165, 65);
    }

    setPlacer([this](const QSize& size) {
        m_header->setGeometry(0, 0, size.width(), HeaderHeight);
        const int below = qMax(0, size.height() - HeaderHeight);
        if (m_side) {
            m_side->setGeometry(0, HeaderHeight, SideWidth, below);
            m_area->setGeometry(SideWidth, HeaderHeight, qMax(0, size.width() - SideWidth), below);
        } else {
            m_area->setGeometry(0, HeaderHeight, size.width(), below);
        }
    });
}

QLabel* placedLabel(const QString& text, QWidget* parent, int x, int y, const char* name)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->move(x, y + 3);
    label->adjustSize();
    return label;
}

} // namespace mainwin
