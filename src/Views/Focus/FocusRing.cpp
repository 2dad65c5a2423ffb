#include "Views/Focus/FocusRing.h"

#include "Components/Theme/Theme.h"
#include "Services/Shell/MotionPreference.h"

#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int glideMs = 1000;
// The least move of the arc's end, in pixels along the circle, that is drawn: a quarter of a
// pixel still looks smooth with antialiasing, and the ring rests in between.
constexpr qreal visibleStep = 0.25;
// Past this much of a turn, a repaint takes the whole ring rather than the arc's end.
constexpr qreal partialTurn = 1.0 / 12;
// A glide of more visible steps than this runs frame by frame; a shorter one (a long session's
// second) takes its steps at even times and sleeps in between.
constexpr int steppedAtMost = 30;
// The arc is drawn in stretches of this much of a turn from the top, so that behind its last
// stretch it is drawn alike whatever its length: a repaint of its end alone then matches.
constexpr int stretches = 64;

} // namespace

FocusRing::FocusRing(int diameter, QWidget *parent)
    : QWidget(parent)
    , m_diameter(diameter)
{
    setFixedSize(sizeHint());
    auto *layout = new QVBoxLayout(this);
    // The content stays inside the circle.
    const int inset = lineWidth() / 2 + 18;
    layout->setContentsMargins(inset, inset, inset, inset);
    layout->setAlignment(Qt::AlignCenter);
    m_glide.setDuration(glideMs);
    m_glide.setEasingCurve(QEasingCurve::Linear);
    connect(&m_glide, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_gliding = value.toReal();
        if (std::abs(m_gliding - m_shown) * std::numbers::pi * m_diameter >= visibleStep)
            drawTo(m_gliding);
    });
    connect(&m_wait, &QAbstractAnimation::finished, this, [this] {
        ++m_step;
        m_gliding = m_stepFrom + (m_progress - m_stepFrom) * m_step / m_steps;
        drawTo(m_gliding);
        if (m_step < m_steps)
            m_wait.start();
    });
}

void FocusRing::setProgress(qreal progress)
{
    progress = std::isnan(progress) ? 0.0 : std::clamp(progress, 0.0, 1.0);
    if (progress == m_progress)
        return;
    m_progress = progress;
    m_glide.stop();
    m_wait.stop();
    // Nobody sees a glide of a hidden ring; it would only cost time.
    if (!isVisible() || MotionPreference::reducesMotion()) {
        m_gliding = progress;
        drawTo(progress);
        return;
    }
    const qreal travel = std::abs(progress - m_gliding) * std::numbers::pi * m_diameter;
    const int steps = std::max(1, int(std::ceil(travel / visibleStep)));
    if (steps > steppedAtMost) {
        m_glide.setStartValue(m_gliding);
        m_glide.setEndValue(progress);
        m_glide.start();
        return;
    }
    // Only pauses run meanwhile, so the animation timer wakes for the steps alone.
    m_stepFrom = m_gliding;
    m_step = 0;
    m_steps = steps;
    m_wait.setDuration(glideMs / steps);
    m_wait.start();
}

QPointF FocusRing::endOfArc(qreal progress) const
{
    const qreal half = lineWidth() / 2.0;
    const qreal radius = m_diameter / 2.0;
    // Clockwise from twelve o'clock.
    const qreal angle = 2 * std::numbers::pi * progress;
    return { half + radius + radius * std::sin(angle), half + radius - radius * std::cos(angle) };
}

void FocusRing::drawTo(qreal progress)
{
    const qreal from = m_shown;
    m_shown = progress;
    if (std::abs(progress - from) > partialTurn) {
        update();
        return;
    }
    // What changes lies along the circle from the start of the stretch the shorter end is in to
    // the longer end, with its round cap; a stretch stays within the box of its ends.
    const qreal shorter = std::min(from, progress);
    const qreal longer = std::max(from, progress);
    QRectF changed(endOfArc(longer), QSizeF());
    for (int stretch = int(std::floor(shorter * stretches)); stretch < longer * stretches; ++stretch)
        changed = changed.united(QRectF(endOfArc(qreal(stretch) / stretches), QSizeF()));
    // Half a line, and a pixel of antialiasing beyond it.
    const qreal reach = lineWidth() / 2.0 + 1;
    update(changed.normalized().adjusted(-reach, -reach, reach, reach).toAlignedRect());
}

int FocusRing::contentWidth() const
{
    const QMargins margins = layout()->contentsMargins();
    return sizeHint().width() - margins.left() - margins.right();
}

QSize FocusRing::sizeHint() const
{
    // The strokes are centred on the circle, so half a line hangs outside it on every side.
    const int side = m_diameter + lineWidth();
    return { side, side };
}

void FocusRing::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal half = lineWidth() / 2.0;
    const QRectF circle(half, half, m_diameter, m_diameter);

    QPen track(Theme::color(Theme::hairline, palette()), lineWidth());
    track.setCapStyle(Qt::FlatCap);
    painter.setPen(track);
    painter.drawEllipse(circle);

    if (m_shown <= 0)
        return;
    QPen arc(Theme::color(Theme::accent, palette()), lineWidth());
    arc.setCapStyle(Qt::RoundCap);
    painter.setPen(arc);
    painter.setBrush(Qt::NoBrush);
    // From twelve o'clock, clockwise (Qt counts angles counter-clockwise, in degrees).
    QPainterPath path;
    path.arcMoveTo(circle, 90);
    for (int stretch = 0; stretch * 1.0 / stretches < m_shown; ++stretch) {
        const qreal start = stretch * 1.0 / stretches;
        path.arcTo(circle, 90 - start * 360, -std::min(1.0 / stretches, m_shown - start) * 360);
    }
    painter.drawPath(path);
}
