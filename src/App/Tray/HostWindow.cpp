#include "App/Tray/HostWindow.h"

#include "Platform/WindowFrame.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

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

QRect HostWindow::fitted(const QRect &frame, const QRect &area, QSize smallest, bool resizable)
{
    if (area.isEmpty())
        return frame;
    // A window that can be resized gives up its least size on a screen smaller than that (a
    // small one under a scale factor), so that all of it, title bar included, is in reach.
    if (resizable)
        smallest = smallest.boundedTo(area.size());
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

void HostWindow::keepInsideScreen()
{
    const QScreen *target = screen();
    if (!target || !isVisible() || m_fitting)
        return;
    m_fitting = true;
    const QRect frame = geometry().marginsAdded(m_frameMargins);
    const QSize decoration = frame.size() - size();
    const bool resizable = minimumSize() != maximumSize();
    // The content's own least size, which the window's gives way to only while the screen is
    // smaller.
    const QSize least = resizable ? layout()->totalMinimumSize() : minimumSize();
    const QRect inside = fitted(frame, target->availableGeometry(), least + decoration, resizable);
    if (resizable) {
        const QSize allowed = least.boundedTo(inside.size() - decoration);
        if (allowed != least) {
            setMinimumSize(allowed);
        } else if (minimumSize() != least) {
            // Room again: the content's least size is the window's once more.
            setMinimumSize(0, 0);
            layout()->invalidate();
            layout()->activate();
        }
    }
    // The client's rectangle, not the frame's: the toolkit's idea of the frame is only as fresh as
    // the last move it heard of.
    const QRect client = inside.marginsRemoved(m_frameMargins);
    if (client != geometry())
        setGeometry(client);
    m_fitting = false;
}

QSize HostWindow::room() const
{
    const QScreen *target = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!target)
        return {};
    const QSize area = target->availableGeometry().size();
    return { area.width() - m_frameMargins.left() - m_frameMargins.right(),
        area.height() - m_frameMargins.top() - m_frameMargins.bottom() };
}

void HostWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_frame) {
        m_frame = new WindowFrame(windowHandle(), this);
        connect(m_frame, &WindowFrame::changed, this, &HostWindow::frameChanged);
        connect(windowHandle(), &QWindow::screenChanged, this, [this] {
            Q_EMIT roomChanged();
            keepInsideScreen();
        });
    }
    // Asked before the window is mapped, so that its first showing is already whole on the screen.
    setFrameMargins(m_frame->request());
}

void HostWindow::frameChanged()
{
    // The window manager frames the window without moving it, and may frame it otherwise than
    // it said it would.
    const QMargins margins = m_frame->margins();
    if (margins != m_frameMargins)
        setFrameMargins(margins);
}

void HostWindow::setFrameMargins(const QMargins &margins)
{
    const bool changed = margins != m_frameMargins;
    m_frameMargins = margins;
    // The owner sizes the window to the room first; then it moves in.
    if (changed)
        Q_EMIT roomChanged();
    keepInsideScreen();
}

bool HostWindow::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    // The layout has taken in its content's least size, which may have gone down.
    if (event->type() == QEvent::LayoutRequest)
        giveBackGrowth();
    return handled;
}

void HostWindow::giveBackGrowth()
{
    if (!m_given.isValid() || !isVisible() || minimumSize() == maximumSize())
        return;
    const QSize target = size().boundedTo(m_given.expandedTo(minimumSize()));
    if (target == size())
        return;
    m_givingBack = true;
    resize(target);
    m_givingBack = false;
}

void HostWindow::takeGivenSize(QSize now, QSize before)
{
    if (!m_given.isValid() || !before.isValid()) {
        m_given = now;
        return;
    }
    // The layout grows the window to its content's least size exactly, in one direction or both;
    // every other new length is one the window was given.
    const QSize least = minimumSize();
    const auto given = [](int was, int length, int before, int least) {
        const bool grownForContent = length == least && before < least;
        return length == before || grownForContent ? was : length;
    };
    m_given = { given(m_given.width(), now.width(), before.width(), least.width()),
        given(m_given.height(), now.height(), before.height(), least.height()) };
}

void HostWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (!m_givingBack)
        takeGivenSize(event->size(), event->oldSize());
    if (event->size().width() > event->oldSize().width() || event->size().height() > event->oldSize().height())
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
