#include "App/Tray/HostWindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

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
