#include "Components/Controls/WidthSpring.h"

#include "Services/Shell/MotionPreference.h"

#include <QWidget>

WidthSpring::WidthSpring(QWidget *widget, int durationMs)
    : QObject(widget)
    , m_widget(*widget)
{
    m_animation.setDuration(durationMs);
    m_animation.setEasingCurve(QEasingCurve::OutCubic);
    connect(&m_animation, &QVariantAnimation::valueChanged, this,
        [this](const QVariant &value) { m_widget.setFixedWidth(value.toInt()); });
    connect(&m_animation, &QVariantAnimation::finished, this, &WidthSpring::release);
}

void WidthSpring::hold()
{
    if (!isRunning() && m_widget.isVisible() && !MotionPreference::reducesMotion())
        m_widget.setFixedWidth(m_widget.width());
}

void WidthSpring::follow()
{
    const int from = m_widget.width();
    const int to = m_widget.sizeHint().width();
    m_animation.stop();
    if (from == to || !m_widget.isVisible() || MotionPreference::reducesMotion()) {
        release();
        return;
    }
    m_animation.setStartValue(from);
    m_animation.setEndValue(to);
    m_widget.setFixedWidth(from);
    m_animation.start();
}

bool WidthSpring::isRunning() const
{
    return m_animation.state() == QAbstractAnimation::Running;
}

void WidthSpring::release()
{
    m_widget.setMinimumWidth(0);
    m_widget.setMaximumWidth(QWIDGETSIZE_MAX);
}
