#pragma once

#include <QAbstractButton>

class Transition;

// The behaviour the capsule-shaped buttons share: only the capsule is clickable; under an
// enabled pointer a highlight eases in over 0.12 s; pressing dims the button to 0.55 over
// 0.10 s; the pointing hand shows while it is enabled. It takes no keyboard focus, so clicking
// it leaves the focus in the text field the user is typing in. Subclasses paint, reading
// highlight() and opacity().
class CapsuleButton : public QAbstractButton
{
    Q_OBJECT

public:
    // Whether the hover look shows (the pointer is over the button and it is enabled), ignoring
    // the easing.
    bool isHighlighted() const;

protected:
    explicit CapsuleButton(QWidget *parent = nullptr);

    // The eased hover look, from 0 to 1.
    qreal highlight() const;
    // The opacity to paint with: `resting` eased towards the pressed opacity while pressed.
    qreal opacity(qreal resting = 1.0) const;

    bool hitButton(const QPoint &pos) const override;
    bool event(QEvent *event) override;

private:
    bool m_hovered = false;
    Transition *m_highlight;
    Transition *m_press;
};
