#include "App/Tray/PanelAfterimage.h"

#include "Platform/WindowSystem.h"

#include <QPainter>

PanelAfterimage::PanelAfterimage()
    : QWidget(nullptr,
        Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus
            | Qt::BypassWindowManagerHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);

    m_fade.setDuration(fadeMs);
    m_fade.setEndValue(0.0);
    m_fade.setEasingCurve(QEasingCurve::OutQuad);
    connect(&m_fade, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        setWindowOpacity(value.toReal());
        WindowSystem::flush();
    });
    connect(&m_fade, &QVariantAnimation::finished, this, [this] {
        hide();
        m_picture = QPixmap();
    });
}

void PanelAfterimage::fadeOut(const QPixmap &picture, const QRect &frame, const QRegion &shape, qreal opacity)
{
    m_picture = picture;
    setGeometry(frame);
    // Without a compositor the panel is cut to its rounded card, and so is its picture.
    if (shape.isEmpty())
        clearMask();
    else
        setMask(shape);
    setWindowOpacity(opacity);
    show();
    m_fade.stop();
    m_fade.setStartValue(opacity);
    m_fade.start();
}

void PanelAfterimage::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawPixmap(rect(), m_picture);
}
