#pragma once

#include "Platform/x11/X11Connection.h"

#include <QObject>

#include <optional>

// Watches _NET_CURRENT_DESKTOP on the root window over a connection of its own, so that Qt's
// event handling is left alone. Does nothing when there is no X display.
class X11DesktopWatcher final : public QObject
{
    Q_OBJECT

public:
    explicit X11DesktopWatcher(QObject *parent = nullptr);

    bool isWatching() const { return m_atom != 0; }

Q_SIGNALS:
    void currentDesktopChanged();

private:
    void readEvents();
    std::optional<quint32> currentDesktop() const;

    X11Connection m_x;
    quint32 m_atom = 0;
    std::optional<quint32> m_desktop;
};
