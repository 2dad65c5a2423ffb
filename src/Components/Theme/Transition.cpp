#include "Components/Theme/Transition.h"

#include "Services/Shell/MotionPreference.h"

#include <QSignalBlocker>

Transition::Transition(QWidget *widget, int durationMs, const QEasingCurve &curve)
    : QObject(widget)
    , m_widget(*widget)
    , m_duration(durationMs)
{
    m_animation.setEasingCurve(curve);
    connect(&m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_value = value.toReal();
        m_widget.update();
    });
}

void Transition::setOn(bool on)
{
    if (on == m_on)
        return;
    if (MotionPreference::reducesMotion() || !m_widget.isVisible()) {
        jumpTo(on);
        return;
    }
    m_on = on;
    m_animation.stop();
    const qreal target = on ? 1.0 : 0.0;
    {
        // An animation that ran to its end reports a new end value as reached at once.
        const QSignalBlocker quiet(m_animation);
        m_animation.setStartValue(m_value);
        m_animation.setEndValue(target);
    }
    // Only the remaining part of the way takes time.
    m_animation.setDuration(qMax(1, qRound(m_duration * qAbs(target - m_value))));
    m_animation.start();
}

void Transition::jumpTo(bool on)
{
    m_animation.stop();
    m_on = on;
    m_value = on ? 1.0 : 0.0;
    m_widget.update();
}
