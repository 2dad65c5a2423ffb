#include "App/Tray/PanelWindow.h"

#include "App/Tray/PanelLayout.h"
#include "Components/Theme/Theme.h"
#include "Platform/DesktopCompositor.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWindow>

namespace {

QPainterPath cardPath(const QRectF &rect, int radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

} // namespace

PanelWindow::PanelWindow(int cornerRadius)
    : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint)
    , m_cornerRadius(cornerRadius)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowTitle(QStringLiteral("Vemra"));
    setObjectName(QStringLiteral("trayPanel"));
    new PanelLayout(this);
}

void PanelWindow::refreshLook()
{
    m_composited = DesktopCompositor::isActive();
    updateMask();
    update();
}

void PanelWindow::noteFocus(QWindow *focused)
{
    if (focused == windowHandle()) {
        m_hadFocus = true;
        return;
    }
    // Menus and other popups opened from inside the panel take the focus for a while; the panel
    // has lost it only when a real window of some kind gets it.
    if (m_hadFocus && focused && focused->type() != Qt::Popup)
        Q_EMIT lostFocus();
}

void PanelWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor card = Theme::color(m_composited ? Theme::panelCardComposited : Theme::panelCard, palette());
    if (!m_composited) {
        // The mask cuts the corners; fill everything so no unpainted pixel shows.
        painter.fillRect(cardRect(), card);
    }
    const QPainterPath path = cardPath(QRectF(cardRect()).adjusted(0.5, 0.5, -0.5, -0.5), m_cornerRadius);
    painter.fillPath(path, card);
    painter.setPen(QPen(Theme::color(Theme::panelEdge, palette()), Theme::lineWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
}

void PanelWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    updateMask();
}

void PanelWindow::keyPressEvent(QKeyEvent *event)
{
    // Only keys that no view inside consumed arrive here.
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        Q_EMIT cancelled();
        return;
    }
    event->ignore();
}

void PanelWindow::mousePressEvent(QMouseEvent *event)
{
    // A popup sees every press while it is open, also those outside it.
    if (!rect().contains(event->position().toPoint())) {
        event->accept();
        Q_EMIT pressedOutside(event->globalPosition().toPoint(), event->button(), event->modifiers());
        return;
    }
    QWidget::mousePressEvent(event);
}

void PanelWindow::closeEvent(QCloseEvent *event)
{
    // The toolkit closes every popup once the application has lost the keyboard, and hears of a
    // loss a moment late: a panel shown again within that moment would be closed for the last
    // showing's loss. While the panel comes on screen, that closing is refused.
    if (m_entering && isVisible()) {
        event->ignore();
        return;
    }
    event->accept();
    Q_EMIT closedBySystem();
}

void PanelWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    Q_EMIT closedBySystem();
}

bool PanelWindow::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::LayoutRequest)
        Q_EMIT contentChanged();
    return handled;
}

void PanelWindow::updateMask()
{
    if (m_composited) {
        clearMask();
        return;
    }
    setMask(QRegion(cardPath(QRectF(cardRect()), m_cornerRadius).toFillPolygon().toPolygon()));
}

QRect PanelWindow::cardRect() const
{
    QRect card = rect();
    if (m_cardHeight > 0)
        card.setHeight(qMin(card.height(), m_cardHeight));
    return card;
}

void PanelWindow::holdCardHeight(int height)
{
    if (height == m_cardHeight)
        return;
    m_cardHeight = height;
    static_cast<PanelLayout *>(layout())->setHeld(height);
    updateMask();
    update();
}
