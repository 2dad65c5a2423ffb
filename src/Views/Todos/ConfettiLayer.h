#pragma once

#include "Views/Todos/ConfettiBurst.h"

#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QTimer>
#include <QUuid>
#include <QWidget>

#include <functional>

class QRandomGenerator;

// The overlay that throws confetti over a whole surface. Each container makes one over its
// root; views mark the widget a burst for a todo starts from (the todo's checkbox) and throw
// through the layer above them, so neither needs to hold the other:
//
//     new ConfettiLayer(root);                         // the container, once
//     ConfettiLayer::markSource(checkbox, todo.id);    // the row
//     ConfettiLayer::throwFrom(listView, todo.id);     // the list, on completion
//
// Clicks pass through it. It is shown only while a burst lives and then repaints every frame;
// a burst whose source is not on screen is not drawn but still ends on time. Nothing is thrown
// while the desktop asks for reduced motion.
class ConfettiLayer final : public QWidget
{
    Q_OBJECT

public:
    explicit ConfettiLayer(QWidget *root);

    // Names `view` as the source of bursts for `id` (a later mark of the same id wins).
    static void markSource(QWidget *view, const QUuid &id);
    // The layer over the nearest ancestor of `view` (or `view` itself) that carries one.
    static ConfettiLayer *above(const QWidget *view);
    // Throws from the source of `id` through the layer above `view`; nothing without a layer.
    static void throwFrom(const QWidget *view, const QUuid &id);

    void throwConfetti(const QUuid &sourceID);
    // The kept bursts, oldest first (finished ones linger until the last burst's time is up).
    const QList<ConfettiBurst> &bursts() const { return m_bursts; }
    // Where the source of `id` is now in this layer's coordinates; nothing when it is not shown.
    std::optional<QPointF> sourcePoint(const QUuid &id) const;

    // Read at every throw; the desktop's setting by default.
    void setMotionPreference(std::function<bool()> reducesMotion) { m_reducesMotion = std::move(reducesMotion); }
    // Milliseconds on a monotonic clock; a running QElapsedTimer by default.
    void setClock(std::function<qint64()> clock) { m_clock = std::move(clock); }
    void setRandomGenerator(QRandomGenerator *random) { m_random = random; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void removeFinished();
    QWidget *findSource(const QUuid &id) const;

    QWidget &m_root;
    std::function<bool()> m_reducesMotion;
    std::function<qint64()> m_clock;
    QList<ConfettiBurst> m_bursts;
    QElapsedTimer m_elapsed;
    QTimer m_frame;
    QTimer m_cleanup;
    QRandomGenerator *m_random = nullptr;
    mutable QHash<QUuid, QPointer<QWidget>> m_sources;
};
