#include "Views/Focus/FocusRing.h"

#include "Components/Theme/Theme.h"
#include "Services/Shell/MotionPreference.h"

#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr int glideMs = 1000;

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
        m_drawn = value.toReal();
        update();
    });
}

void FocusRing::setProgress(qreal progress)
{
    progress = std::isnan(progress) ? 0.0 : std::clamp(progress, 0.0, 1.0);
    if (progress == m_progress)
        return;
    m_progress = progress;
    m_glide.stop();
    // Nobody sees a glide of a hidden ring; it would only cost time.
    if (!isVisible() || MotionPreference::reducesMotion()) {
        m_drawn = progress;
        update();
        return;
    }
    m_glide.setStartValue(m_drawn);
    m_glide.setEndValue(progress);
    m_glide.start();
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

    if (m_drawn <= 0)
        return;
    QPen arc(Theme::color(Theme::accent, palette()), lineWidth());
    arc.setCapStyle(Qt::RoundCap);
    painter.setPen(arc);
    // From twelve o'clock, clockwise (Qt counts angles counter-clockwise in 1/16 degree).
    painter.drawArc(circle, 90 * 16, -qRound(m_drawn * 360 * 16));
}
