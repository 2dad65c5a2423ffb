#include "Views/Settings/SettingsSwitch.h"

#include "Components/Theme/Theme.h"
#include "Components/Theme/Transition.h"

#include <QPainter>

namespace {

constexpr int trackWidth = 32;
constexpr int trackHeight = 18;
constexpr qreal knobInset = 2;
constexpr int slideMs = 120;
// A radius below 0 asks the plate for a capsule.
constexpr qreal capsule = -1;

} // namespace

SettingsSwitch::SettingsSwitch(QWidget *parent)
    : QAbstractButton(parent)
    , m_on(new Transition(this, slideMs, QEasingCurve::OutCubic))
{
    setCheckable(true);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::toggled, this, [this](bool on) {
        if (isVisible())
            m_on->setOn(on);
        else
            m_on->jumpTo(on);
    });
}

QSize SettingsSwitch::sizeHint() const
{
    return { trackWidth + 2, trackHeight + 2 };
}

bool SettingsSwitch::hitButton(const QPoint &pos) const
{
    return rect().contains(pos);
}

void SettingsSwitch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        painter.setOpacity(Theme::disabledOpacity);
    const QPalette &colors = palette();
    const QRectF track(1, 1, trackWidth, trackHeight);
    const qreal on = m_on->value();
    const QColor off = Theme::color(Theme::grayFillHighlighted, colors);
    const QColor accent = Theme::color(Theme::accent, colors);
    Theme::paintPlate(painter, track, capsule, Theme::mix(off, accent, on), Theme::color(Theme::hairline, colors));

    const qreal knob = trackHeight - 2 * knobInset;
    const qreal x = track.left() + knobInset + on * (trackWidth - 2 * knobInset - knob);
    const QRectF knobRect(x, track.top() + knobInset, knob, knob);
    Theme::paintPlate(painter, knobRect.translated(0, 0.5), capsule, Theme::color(Theme::liftShadow, colors));
    Theme::paintPlate(painter, knobRect, capsule, Theme::color(Theme::Ink::White, colors));

    // The ring shows only for focus the keyboard moved, as the style does for its own controls.
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange))
        Theme::paintFocusRing(painter, QRectF(rect()), -1, isChecked(), colors);
}
