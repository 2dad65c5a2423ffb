#include "Views/Focus/DurationChip.h"

#include "Components/Controls/PointingHandCursor.h"
#include "Components/Theme/Theme.h"
#include "Components/Theme/Transition.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr qreal radius = 8;
constexpr int hoverMs = 120;
// The spring that moves the tab's content on a change of choice.
constexpr int choiceMs = 200;

} // namespace

DurationChip::DurationChip(const QString &title, const QString &spokenTitle, Density density, QWidget *parent)
    : QAbstractButton(parent)
    , m_density(density)
    , m_hover(new Transition(this, hoverMs, QEasingCurve::OutQuad))
    , m_selected(new Transition(this, choiceMs, QEasingCurve::OutCubic))
{
    setText(title);
    setAccessibleName(spokenTitle);
    setCheckable(true);
    setAutoExclusive(false);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_Hover);
    PointingHandCursor::apply(this, [this] { return !isChecked(); });
    // A click only ever selects: the tab decides the choice.
    connect(this, &QAbstractButton::clicked, this, [this] { setChecked(true); });
}

void DurationChip::setSelected(bool selected)
{
    setChecked(selected);
    m_selected->setOn(selected);
    setFocusPolicy(selected ? Qt::TabFocus : Qt::NoFocus);
    if (PointingHandCursor *hand = PointingHandCursor::of(this))
        hand->refresh();
    update();
}

QFont DurationChip::titleFont() const
{
    return Densities::font(m_density, 0, isChecked() ? QFont::DemiBold : QFont::Medium);
}

qreal DurationChip::fill() const
{
    return m_selected->value();
}

QSize DurationChip::sizeHint() const
{
    const int height = m_density == Density::Compact ? 30 : 36;
    return { QFontMetrics(titleFont()).horizontalAdvance(text()) + 16, height };
}

QSize DurationChip::minimumSizeHint() const
{
    return { 10, sizeHint().height() };
}

void DurationChip::enterEvent(QEnterEvent *event)
{
    QAbstractButton::enterEvent(event);
    m_hover->setOn(true);
}

void DurationChip::leaveEvent(QEvent *event)
{
    QAbstractButton::leaveEvent(event);
    m_hover->setOn(false);
}

void DurationChip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath shape;
    shape.addRoundedRect(box, radius, radius);
    // The resting wash deepens to the hovered one as the pointer comes in; the accent fill and
    // white text of the selected chip come and go with the choice, as the content below moves.
    const qreal selected = m_selected->value();
    const QColor resting = Theme::color(Theme::segmentWash, palette());
    const QColor hovered = Theme::color(Theme::grayFill, palette());
    const QColor wash = Theme::mix(resting, hovered, isChecked() ? 0 : m_hover->value());
    painter.fillPath(shape, Theme::mix(wash, Theme::color(Theme::accent, palette()), selected));
    if (selected < 1) {
        QColor edge = Theme::color(Theme::hairline, palette());
        edge.setAlphaF(edge.alphaF() * (1 - selected));
        painter.setPen(QPen(edge, Theme::lineWidth));
        painter.drawPath(shape);
    }
    painter.setFont(titleFont());
    painter.setPen(
        Theme::mix(Theme::color(Theme::Ink::Primary, palette()), Theme::color(Theme::Ink::White, palette()), selected));
    painter.drawText(rect(), Qt::AlignCenter, text());
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange))
        Theme::paintFocusRing(painter, QRectF(rect()), radius, isChecked(), palette());
}
