#include "App/Tray/PanelAfterimage.h"

#include "Components/Theme/Curves.h"
#include "Platform/WindowSystem.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWindow>

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
    m_fade.setEasingCurve(Curves::standard());
    connect(&m_fade, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        setWindowOpacity(value.toReal());
        WindowSystem::flush();
    });
    connect(&m_fade, &QVariantAnimation::finished, this, [this] {
        hide();
        m_picture = QPixmap();
    });
}

void PanelAfterimage::standBy(const QSize &size)
{
    m_fade.stop();
    m_picture = QPixmap();
    clearMask();
    // Beyond the top left corner of the whole desktop, where no screen shows it.
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QPoint desktop = screen ? screen->virtualGeometry().topLeft() : QPoint();
    setGeometry(QRect(desktop - QPoint(size.width() + 64, size.height() + 64), size));
    if (isVisible())
        update();
    else
        show();
}

void PanelAfterimage::fadeOut(const QPixmap &picture, const QRect &frame, const QRegion &shape, qreal opacity)
{
    m_fade.stop();
    m_picture = picture;
    // Without a compositor the panel is cut to its rounded card, and so is its picture.
    if (shape.isEmpty())
        clearMask();
    else
        setMask(shape);
    setWindowOpacity(opacity);
    setGeometry(frame);
    if (!isVisible())
        show(); // not standing by: drawn once the window system has shown it
    raise();
    // Standing by, the window is on the screen already and takes the picture now, ahead of
    // whatever the closing sends after it.
    if (windowHandle() && windowHandle()->isExposed())
        repaint();
    WindowSystem::flush();
    m_fade.setStartValue(opacity);
    m_fade.start();
}

void PanelAfterimage::paintEvent(QPaintEvent *)
{
    // Standing by, it shows nothing: a translucent window starts each paint cleared.
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawPixmap(rect(), m_picture);
}
