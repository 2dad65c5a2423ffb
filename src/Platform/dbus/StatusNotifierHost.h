#pragma once

#include <QDBusConnection>
#include <QObject>

#include <optional>

class QDBusMessage;

// Whether the session's tray is a StatusNotifierItem host (a StatusNotifierWatcher owns its
// name on the session bus), and the process of the host that shows the items. Such a tray draws
// our icon itself and never reports its position. The bus answers later, or never: nothing here
// waits for it, and the last answers are kept.
class StatusNotifierHost final : public QObject
{
    Q_OBJECT

public:
    // Asks at once whether there is a watcher, and follows its name from then on.
    explicit StatusNotifierHost(QDBusConnection bus = QDBusConnection::sessionBus(), QObject *parent = nullptr);

    // Whether a watcher owns its name, as the bus last told; none before its first answer.
    std::optional<bool> isPresent() const { return m_present; }
    // The process of the host (the panel that holds the tray) at the last answer, when one had
    // registered on the bus.
    std::optional<qint64> hostProcess() const { return m_hostProcess; }
    // Asks the bus again which process the host is, unless the last question is still out.
    void learnHostProcess();

Q_SIGNALS:
    // An answer came: isPresent() or hostProcess() may tell something new.
    void learnt();

private:
    // Sends `call` to the bus itself and hands its answer to `take`, or none when it failed.
    template <typename Take> void askBus(const QDBusMessage &call, Take take);

    QDBusConnection m_bus;
    std::optional<bool> m_present;
    std::optional<qint64> m_hostProcess;
    bool m_learning = false;
};
