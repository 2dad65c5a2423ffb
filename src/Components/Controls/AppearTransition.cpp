#include "Components/Controls/AppearTransition.h"

#include "Components/Controls/MotionEffect.h"
#include "Services/Shell/MotionPreference.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLayout>
#include <QSignalBlocker>
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
    if (shown)
        m_widget.show();
    holdRoom();
    apply(m_progress);
    const qreal target = shown ? 1.0 : 0.0;
    {
        // An animation that ran to its end reports a new end value as reached at once.
        const QSignalBlocker quiet(m_animation);
        m_animation.setStartValue(m_progress);
        m_animation.setEndValue(target);
    }
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
    if (m_roomHeight > 0) {
        m_widget.setMaximumHeight(qRound(progress * m_roomHeight));
        m_effect->setLook(progress, slides ? -(1 - progress) * m_roomHeight : 0, scale);
        settleLayouts();
        return;
    }
    const qreal offset = slides ? -(1 - progress) * m_widget.height() : 0;
    m_effect->setLook(progress, offset, scale);
}

void AppearTransition::holdRoom()
{
    if (!m_motion.yieldsRoom || m_roomHeight > 0 || !m_effect)
        return;
    m_roomHeight = m_widget.sizeHint().height();
    m_maximumHeight = m_widget.maximumHeight();
    // Its content would be squeezed into the smaller room: a picture of it at full size stands in.
    m_widget.resize(m_widget.width(), m_roomHeight);
    if (QLayout *content = m_widget.layout())
        content->activate();
    m_effect->setEnabled(false);
    const QPixmap still = m_widget.grab();
    m_effect->setEnabled(true);
    m_effect->setStill(still);
}

void AppearTransition::releaseRoom()
{
    if (m_roomHeight == 0)
        return;
    m_roomHeight = 0;
    m_widget.setMaximumHeight(m_maximumHeight);
}

void AppearTransition::settle()
{
    m_progress = m_shown ? 1 : 0;
    const bool heldRoom = m_roomHeight > 0;
    releaseRoom();
    // The effect renders the widget off screen at every paint; it lives only while moving.
    if (m_effect && m_widget.graphicsEffect() == m_effect)
        m_widget.setGraphicsEffect(nullptr);
    m_widget.setVisible(m_shown);
    if (heldRoom)
        settleLayouts();
    Q_EMIT finished();
}

void AppearTransition::settleLayouts()
{
    // Each layout above would take in the change at a request of its own, posted by the one
    // below and so handled a pass of the event loop later; a frame drawn in between would show
    // the parts above squeezed over one another. They take it in now, from here up, and the
    // window is asked as the event loop would ask it, so that one that fits itself to its
    // content does so in this step too.
    for (QWidget *above = m_widget.parentWidget(); above; above = above->parentWidget()) {
        if (QLayout *layout = above->layout())
            layout->activate();
        else
            above->updateGeometry(); // a scroll area or its viewport: the layout above it learns of it now
        if (above->isWindow()) {
            QEvent request(QEvent::LayoutRequest);
            QCoreApplication::sendEvent(above, &request);
            break;
        }
    }
}
