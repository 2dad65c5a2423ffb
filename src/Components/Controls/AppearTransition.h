#pragma once

#include <QEasingCurve>
#include <QObject>
#include <QPointer>
#include <QVariantAnimation>

class MotionEffect;
class QWidget;

// Shows and hides a widget with motion: it fades in and out, optionally slides in from its top
// edge and grows from a scale, and at the end is shown or hidden for real. Under the user's
// reduced-motion preference, or while its window is not on screen, the change is immediate.
//
//     auto *appear = new AppearTransition(card, { .durationMs = 250, .slidesIn = true });
//     appear->setShown(state.showsCalendar()); // instead of card->setVisible(...)
class AppearTransition final : public QObject
{
    Q_OBJECT

public:
    struct Motion
    {
        int durationMs = 200;
        // Coming in, the widget moves down into place from above its top edge; leaving, it
        // moves back up only with slidesOut (else it fades where it stands).
        bool slidesIn = false;
        bool slidesOut = false;
        // The scale the widget grows from when it comes in and shrinks to when it goes.
        qreal scaleFrom = 1;
        // A hidden widget keeps its place in the layout, so nothing around it moves.
        bool keepsSpace = false;
        // Its room in the layout grows and shrinks with it, so what lies below moves along
        // rather than jumping at the start or the end. Meanwhile a still of its content at full
        // size is drawn, cut at the room's edge. Each step reaches the window in the same turn,
        // so a window that fits itself to its content (the panel) moves with it.
        bool yieldsRoom = false;
        QEasingCurve curve = QEasingCurve::InOutQuad;
    };

    AppearTransition(QWidget *widget, Motion motion);

    // Moves towards shown or hidden; a change of mind half-way turns back from where it is.
    void setShown(bool shown);
    // Shows or hides at once, stopping a running change.
    void jumpTo(bool shown);

    bool isShown() const { return m_shown; }
    bool isRunning() const;
    // Whether its room in the layout is growing or shrinking now.
    bool movesRoom() const { return isRunning() && m_roomHeight > 0; }
    // How far in the widget is: 0 hidden, 1 shown.
    qreal progress() const { return m_progress; }

Q_SIGNALS:
    // The widget reached the state last asked for.
    void finished();

private:
    void apply(qreal progress);
    void settle();
    void holdRoom();
    void releaseRoom();
    void settleLayouts();

    QWidget &m_widget;
    Motion m_motion;
    QVariantAnimation m_animation;
    QPointer<MotionEffect> m_effect;
    bool m_shown;
    qreal m_progress;
    // While the room moves: the widget's full height and its own maximum.
    int m_roomHeight = 0;
    int m_maximumHeight = 0;
};
