#pragma once

#include <QVariantAnimation>
#include <QWidget>

// A circular progress ring with content in its middle: a faint full track and, over it, an
// accent arc from twelve o'clock clockwise for the fraction `progress` (kept within 0…1). A
// change of progress glides over one second while the ring is on screen. Its content is laid
// out by the caller in contentLayout().
class FocusRing final : public QWidget
{
    Q_OBJECT

public:
    explicit FocusRing(int diameter, QWidget *parent = nullptr);

    int diameter() const { return m_diameter; }
    // 6 above a diameter of 200, else 5.
    int lineWidth() const { return m_diameter > 200 ? 6 : 5; }
    qreal progress() const { return m_progress; }
    // The width its layout gives the content.
    int contentWidth() const;
    void setProgress(qreal progress);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_diameter;
    qreal m_progress = 1.0;
    qreal m_drawn = 1.0;
    QVariantAnimation m_glide;
};
