#include "Views/Focus/DurationChip.h"

#include "Components/Controls/PointingHandCursor.h"
#include "Components/Theme/Theme.h"
#include "Components/Theme/Transition.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr qreal radius = 8;
constexpr int hoverMs = 120;

} // namespace

DurationChip::DurationChip(const QString &title, const QString &spokenTitle, Density density, QWidget *parent)
    : QAbstractButton(parent)
    , m_density(density)
    , m_hover(new Transition(this, hoverMs, QEasingCurve::OutQuad))
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
    setFocusPolicy(selected ? Qt::TabFocus : Qt::NoFocus);
    if (PointingHandCursor *hand = PointingHandCursor::of(this))
        hand->refresh();
    update();
}

QFont DurationChip::titleFont() const
{
    return Densities::font(m_density, 0, isChecked() ? QFont::DemiBold : QFont::Medium);
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
    if (isChecked()) {
        painter.fillPath(shape, Theme::color(Theme::accent, palette()));
    } else {
        // The resting wash deepens to the hovered one as the pointer comes in.
        const QColor resting = Theme::color(Theme::segmentWash, palette());
        const QColor hovered = Theme::color(Theme::grayFill, palette());
        painter.fillPath(shape, Theme::mix(resting, hovered, m_hover->value()));
        painter.setPen(QPen(Theme::color(Theme::hairline, palette()), Theme::lineWidth));
        painter.drawPath(shape);
    }
    painter.setFont(titleFont());
    painter.setPen(Theme::color(isChecked() ? Theme::Ink::White : Theme::Ink::Primary, palette()));
    painter.drawText(rect(), Qt::AlignCenter, text());
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange))
        Theme::paintFocusRing(painter, QRectF(rect()), radius, isChecked(), palette());
}
