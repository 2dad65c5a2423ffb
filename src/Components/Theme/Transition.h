#pragma once

#include <QEasingCurve>
#include <QObject>
#include <QVariantAnimation>
#include <QWidget>

// A number that eases between 0 (off) and 1 (on) over a fixed time and repaints its widget at
// each step: the hover and press looks of the controls blend their colours and opacity by it.
// A change of direction half-way starts from where the value is, so quick in-and-out movements
// never jump. Immediate under the user's reduced-motion preference or while the widget is hidden.
class Transition final : public QObject
{
    Q_OBJECT

public:
    Transition(QWidget *widget, int durationMs, const QEasingCurve &curve = QEasingCurve::OutQuad);

    // Eases towards on (1) or off (0); nothing happens when it is already heading there.
    void setOn(bool on);
    // Sets the value at once, stopping a running change.
    void jumpTo(bool on);

    bool isOn() const { return m_on; }
    qreal value() const { return m_value; }

private:
    // The owner, which repaints at each step.
    QWidget &m_widget;
    QVariantAnimation m_animation;
    int m_duration;
    bool m_on = false;
    qreal m_value = 0;
};
