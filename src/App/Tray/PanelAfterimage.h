#pragma once

#include <QPixmap>
#include <QRegion>
#include <QVariantAnimation>
#include <QWidget>

// A picture of the panel that fades out where the panel was. A closing takes the panel's popup
// off the screen at once, so that presses and keys reach what they were meant for; the picture,
// which takes no input, gives that closing its fade.
class PanelAfterimage final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int fadeMs = 120;

    PanelAfterimage();

    // Shows `picture` at `frame`, cut to `shape` unless that is empty, and fades it out from
    // `opacity` (the panel's own, which may not have faded in fully yet).
    void fadeOut(const QPixmap &picture, const QRect &frame, const QRegion &shape, qreal opacity);
    bool isFading() const { return m_fade.state() == QAbstractAnimation::Running; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_picture;
    QVariantAnimation m_fade;
};
