#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;
struct xcb_connection_t;

// A connection of our own to the X display, for listeners that must leave Qt's event handling
// alone or work off the main thread. Opened only when the application runs on X; a notifier in
// the thread that made it tells when events wait, so nothing polls.
class X11Connection final : public QObject
{
    Q_OBJECT

public:
    // One event as received, freed when dropped.
    class Event
    {
    public:
        explicit Event(void *data = nullptr)
            : m_data(data)
        {
        }
        explicit operator bool() const { return m_data != nullptr; }
        // The event's code, whoever sent it.
        quint8 type() const { return *static_cast<const quint8 *>(m_data.get()) & 0x7f; }
        // The event read as the xcb structure of its type.
        template <typename T> const T *as() const { return static_cast<const T *>(m_data.get()); }

    private:
        struct Free
        {
            void operator()(void *data) const;
        };
        std::unique_ptr<void, Free> m_data;
    };

    explicit X11Connection(QObject *parent = nullptr);
    ~X11Connection() override;

    // False without an X display, and once the display has gone away.
    bool isOpen() const { return m_connection && !m_broken; }
    // Null when the display could not be reached at all.
    xcb_connection_t *get() const { return m_connection; }
    // The root window of the display's default screen.
    quint32 root() const { return m_root; }

    // The next event already received, else nothing. A connection found broken stops its
    // notifier rather than spin on a dead socket.
    Event nextEvent();

Q_SIGNALS:
    // Events may wait: take them with nextEvent() until it gives nothing.
    void eventsWaiting();

private:
    xcb_connection_t *m_connection = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    quint32 m_root = 0;
    bool m_broken = false;
};
