#pragma once

#include "Platform/x11/X11Connection.h"

#include <QList>
#include <QObject>

// Tells when a window may have moved on the screen: when it or any window it sits in (a tray's
// own frames, which move the icons they hold) is moved, resized or reparented. Works over an X
// connection of its own, so that Qt's event handling is left alone; does nothing without an X
// display. No timer: the X server reports each change.
class X11WindowMoveWatcher final : public QObject
{
    Q_OBJECT

public:
    explicit X11WindowMoveWatcher(QObject *parent = nullptr);

    // Watches `window` and its ancestors from now on, in place of whatever was watched before;
    // 0 watches nothing.
    void watch(quint32 window);
    quint32 watched() const { return m_window; }

Q_SIGNALS:
    void moved();

private:
    void selectAncestors();
    void readEvents();

    X11Connection m_x;
    quint32 m_window = 0;
    QList<quint32> m_selected;
};
