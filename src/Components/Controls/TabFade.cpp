#include "Components/Controls/TabFade.h"

#include <QGraphicsOpacityEffect>
#include <QVariantAnimation>

TabFade::TabFade(QWidget *content)
    : QObject(content)
    , m_content(*content)
    , m_animation(new QVariantAnimation(this))
{
    m_animation->setStartValue(0.0);
    m_animation->setEndValue(1.0);
    m_animation->setDuration(220);
    m_animation->setEasingCurve(QEasingCurve::InOutCubic);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        if (m_effect)
            m_effect->setOpacity(value.toReal());
    });
    connect(m_animation, &QVariantAnimation::finished, this, &TabFade::finish);
}

void TabFade::play(bool reducesMotion)
{
    m_animation->stop();
    if (reducesMotion) {
        finish();
        return;
    }
    if (!m_effect) {
        m_effect = new QGraphicsOpacityEffect(&m_content);
        m_content.setGraphicsEffect(m_effect);
    }
    m_effect->setOpacity(0.0);
    m_animation->start();
}

bool TabFade::isRunning() const
{
    return m_animation->state() == QAbstractAnimation::Running;
}

void TabFade::finish()
{
    // An opacity effect renders the content off screen; drop it as soon as it is not needed.
    if (m_effect && m_content.graphicsEffect() == m_effect)
        m_content.setGraphicsEffect(nullptr);
}
