#include "App/Tray/HostWindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

HostWindow::HostWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void HostWindow::setContent(QWidget *content)
{
    if (m_content == content)
        return;
    delete m_content;
    m_content = content;
    if (m_content)
        layout()->addWidget(m_content);
}

void HostWindow::centreOnScreen()
{
    const QScreen *target = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!target)
        return;
    // The client area, not the frame: before the first showing the window manager has not yet
    // told the frame's size, so centring the frame would put the first showing elsewhere.
    QRect client = geometry();
    client.moveCenter(target->availableGeometry().center());
    setGeometry(client);
}

QRect HostWindow::fitted(const QRect &frame, const QRect &area, const QSize &smallest)
{
    if (area.isEmpty())
        return frame;
    QRect result = frame;
    result.setWidth(std::max(std::min(frame.width(), area.width()), smallest.width()));
    result.setHeight(std::max(std::min(frame.height(), area.height()), smallest.height()));
    if (result.right() > area.right())
        result.moveRight(area.right());
    if (result.bottom() > area.bottom())
        result.moveBottom(area.bottom());
    if (result.left() < area.left())
        result.moveLeft(area.left());
    if (result.top() < area.top())
        result.moveTop(area.top());
    return result;
}

QMargins HostWindow::frameMargins() const
{
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    return { client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
        frame.bottom() - client.bottom() };
}

void HostWindow::keepInsideScreen()
{
    const QScreen *target = screen();
    if (!target || !isVisible() || m_fitting)
        return;
    m_fitting = true;
    m_frameMargins = frameMargins();
    const QRect frame = frameGeometry();
    const QSize decoration(
        m_frameMargins.left() + m_frameMargins.right(), m_frameMargins.top() + m_frameMargins.bottom());
    const QRect inside = fitted(frame, target->availableGeometry(), minimumSize() + decoration);
    if (inside.size() != frame.size())
        resize(inside.size() - decoration);
    if (inside.topLeft() != frame.topLeft())
        move(inside.topLeft());
    m_fitting = false;
}

void HostWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    keepInsideScreen();
}

void HostWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (event->size().width() > event->oldSize().width() || event->size().height() > event->oldSize().height())
        keepInsideScreen();
}

void HostWindow::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    // The window manager framing the window moves its client area; the user's drags do not
    // change the frame.
    if (frameMargins() != m_frameMargins)
        keepInsideScreen();
}

void HostWindow::bringToFront()
{
    show();
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    raise();
    activateWindow();
}

void HostWindow::closeEvent(QCloseEvent *event)
{
    Q_EMIT windowClosing();
    event->accept();
}
