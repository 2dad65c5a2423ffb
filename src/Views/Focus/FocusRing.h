#pragma once

#include <QPauseAnimation>
#include <QVariantAnimation>
#include <QWidget>

// A circular progress ring with content in its middle: a faint full track and, over it, an
// accent arc from twelve o'clock clockwise for the fraction `progress` (kept within 0…1). A
// change of progress glides over one second while the ring is on screen; the glide repaints
// only around the arc's end, and only once the end has moved by a visible step, so that a
// long session, whose end creeps by less than a pixel a second, costs next to nothing: its
// glide is a few such steps at even times, with nothing running in between. Its
// content is laid out by the caller in contentLayout().
class FocusRing final : public QWidget
{
    Q_OBJECT

public:
    explicit FocusRing(int diameter, QWidget *parent = nullptr);

    int diameter() const { return m_diameter; }
    // 6 above a diameter of 200, else 5.
    int lineWidth() const { return m_diameter > 200 ? 6 : 5; }
    qreal progress() const { return m_progress; }
    // The fraction drawn now, on its way to progress().
    qreal shownProgress() const { return m_shown; }
    // The width its layout gives the content.
    int contentWidth() const;
    void setProgress(qreal progress);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Draws the arc to `progress`, repainting only what that changes.
    void drawTo(qreal progress);
    QPointF endOfArc(qreal progress) const;

    int m_diameter;
    qreal m_progress = 1.0;
    // Where the glide is, and what was last drawn: they part by less than a visible step.
    qreal m_gliding = 1.0;
    qreal m_shown = 1.0;
    QVariantAnimation m_glide;
    // A glide of a few visible steps: the wait for the next one, and where it started.
    QPauseAnimation m_wait;
    qreal m_stepFrom = 1.0;
    int m_step = 0;
    int m_steps = 1;
};
