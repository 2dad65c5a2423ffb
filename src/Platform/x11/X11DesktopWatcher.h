#pragma once

#include <QObject>

#include <optional>

class QSocketNotifier;
struct xcb_connection_t;

// Watches _NET_CURRENT_DESKTOP on the root window over a connection of its own, so that Qt's
// event handling is left alone. Does nothing when there is no X display.
class X11DesktopWatcher final : public QObject
{
    Q_OBJECT

public:
    explicit X11DesktopWatcher(QObject *parent = nullptr);
    ~X11DesktopWatcher() override;

    bool isWatching() const { return m_connection != nullptr; }

Q_SIGNALS:
    void currentDesktopChanged();

private:
    void readEvents();
    std::optional<quint32> currentDesktop() const;

    xcb_connection_t *m_connection = nullptr;
    quint32 m_root = 0;
    quint32 m_atom = 0;
    std::optional<quint32> m_desktop;
    QSocketNotifier *m_notifier = nullptr;
};
