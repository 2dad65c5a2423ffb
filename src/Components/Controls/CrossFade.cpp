#include "Components/Controls/CrossFade.h"

#include "Services/Shell/MotionPreference.h"

#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QStackedWidget>

namespace {

// What the widget draws, on nothing: where it paints no background, the look beneath shows
// through the still as it does through the widget.
QPixmap still(QWidget *widget)
{
    const qreal ratio = widget->devicePixelRatioF();
    QPixmap picture(widget->size() * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    widget->render(&picture, QPoint(), QRegion(), QWidget::DrawChildren);
    return picture;
}

} // namespace

CrossFade::CrossFade(QObject *parent, int durationMs)
    : QObject(parent)
{
    m_animation.setStartValue(0.0);
    m_animation.setEndValue(1.0);
    m_animation.setDuration(durationMs);
    m_animation.setEasingCurve(QEasingCurve::InOutQuad);
    connect(
        &m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) { step(value.toReal()); });
    connect(&m_animation, &QVariantAnimation::finished, this, &CrossFade::finish);
}

void CrossFade::switchTo(QStackedWidget *stack, QWidget *page)
{
    QWidget *old = stack->currentWidget();
    if (page == nullptr || page == old)
        return;
    if (old != nullptr)
        capture(old);
    stack->setCurrentWidget(page);
    play(page);
}

void CrossFade::capture(QWidget *from)
{
    m_animation.stop();
    finish();
    QWidget *holder = from->parentWidget();
    if (holder == nullptr || !from->isVisible() || MotionPreference::reducesMotion())
        return;
    // The cover is a still: the widget itself may change or go meanwhile.
    m_cover = new QLabel(holder);
    m_cover->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_cover->setPixmap(still(from));
    m_cover->setGeometry(from->geometry());
    m_cover->setGraphicsEffect(new QGraphicsOpacityEffect(m_cover));
    m_cover->hide();
}

void CrossFade::play(QWidget *to)
{
    if (!m_cover)
        return;
    if (!to->isVisible()) {
        finish();
        return;
    }
    m_fadeIn = new QGraphicsOpacityEffect(to);
    to->setGraphicsEffect(m_fadeIn);
    step(0);
    m_cover->show();
    m_cover->raise();
    m_animation.start();
}

bool CrossFade::isRunning() const
{
    return m_animation.state() == QAbstractAnimation::Running;
}

void CrossFade::step(qreal progress)
{
    if (m_fadeIn)
        m_fadeIn->setOpacity(progress);
    if (m_cover)
        static_cast<QGraphicsOpacityEffect *>(m_cover->graphicsEffect())->setOpacity(1 - progress);
}

void CrossFade::finish()
{
    delete m_cover;
    if (m_fadeIn) {
        // An opacity effect renders its widget off screen; it goes as soon as the fade ends.
        auto *widget = qobject_cast<QWidget *>(m_fadeIn->parent());
        if (widget != nullptr && widget->graphicsEffect() == m_fadeIn)
            widget->setGraphicsEffect(nullptr);
    }
}
