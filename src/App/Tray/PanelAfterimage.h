#pragma once

#include <QPixmap>
#include <QRegion>
#include <QVariantAnimation>
#include <QWidget>

// A picture of the panel that fades out where the panel was. A closing takes the panel's popup
// off the screen at once, so that presses and keys reach what they were meant for; the picture,
// which takes no input, gives that closing its fade.
//
// The picture must be on screen before the popup goes: a window mapped only then would be drawn
// a moment later, once the window system has shown it, and a compositor would show a frame with
// neither. So while the panel is open the picture's window waits, mapped and empty, off every
// screen, and a closing only moves it into place and draws into it.
class PanelAfterimage final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int fadeMs = 120;

    PanelAfterimage();

    // Maps the window empty, off every screen, ready for the next closing; a picture still fading
    // goes.
    void standBy(const QSize &size);
    // Shows `picture` at `frame`, cut to `shape` unless that is empty, drawn before this returns,
    // and fades it out from `opacity` (the panel's own, which may not have faded in fully yet).
    void fadeOut(const QPixmap &picture, const QRect &frame, const QRegion &shape, qreal opacity);
    bool isFading() const { return m_fade.state() == QAbstractAnimation::Running; }
    // Whether a picture of the panel shows where the panel was.
    bool showsPicture() const { return isVisible() && !m_picture.isNull(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_picture;
    QVariantAnimation m_fade;
};
