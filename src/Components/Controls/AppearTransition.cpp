#include "Components/Controls/AppearTransition.h"

#include "Components/Controls/MotionEffect.h"
#include "Services/Shell/MotionPreference.h"

#include <QWidget>

AppearTransition::AppearTransition(QWidget *widget, Motion motion)
    : QObject(widget)
    , m_widget(*widget)
    , m_motion(std::move(motion))
    , m_shown(!widget->isHidden())
    , m_progress(m_shown ? 1 : 0)
{
    if (m_motion.keepsSpace) {
        QSizePolicy policy = widget->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        widget->setSizePolicy(policy);
    }
    m_animation.setEasingCurve(m_motion.curve);
    connect(
        &m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) { apply(value.toReal()); });
    connect(&m_animation, &QVariantAnimation::finished, this, &AppearTransition::settle);
}

void AppearTransition::setShown(bool shown)
{
    if (shown == m_shown && (isRunning() || m_widget.isHidden() != shown))
        return;
    const QWidget *window = m_widget.window();
    if (MotionPreference::reducesMotion() || window == nullptr || !window->isVisible()) {
        jumpTo(shown);
        return;
    }
    m_shown = shown;
    m_animation.stop();
    if (!m_effect) {
        m_effect = new MotionEffect(&m_widget);
        m_widget.setGraphicsEffect(m_effect);
    }
    apply(m_progress);
    if (shown)
        m_widget.show();
    const qreal target = shown ? 1.0 : 0.0;
    m_animation.setStartValue(m_progress);
    m_animation.setEndValue(target);
    // Only the rest of the way takes time.
    m_animation.setDuration(qMax(1, qRound(m_motion.durationMs * qAbs(target - m_progress))));
    m_animation.start();
}

void AppearTransition::jumpTo(bool shown)
{
    m_animation.stop();
    m_shown = shown;
    m_progress = shown ? 1 : 0;
    settle();
}

bool AppearTransition::isRunning() const
{
    return m_animation.state() == QAbstractAnimation::Running;
}

void AppearTransition::apply(qreal progress)
{
    m_progress = progress;
    if (!m_effect)
        return;
    const qreal scale = m_motion.scaleFrom + (1 - m_motion.scaleFrom) * progress;
    const bool slides = m_shown ? m_motion.slidesIn : m_motion.slidesOut;
    const qreal offset = slides ? -(1 - progress) * m_widget.height() : 0;
    m_effect->setLook(progress, offset, scale);
}

void AppearTransition::settle()
{
    m_progress = m_shown ? 1 : 0;
    // The effect renders the widget off screen at every paint; it lives only while moving.
    if (m_effect && m_widget.graphicsEffect() == m_effect)
        m_widget.setGraphicsEffect(nullptr);
    m_widget.setVisible(m_shown);
    Q_EMIT finished();
}
