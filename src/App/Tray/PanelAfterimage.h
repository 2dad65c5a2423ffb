#pragma once

#include <QPixmap>
#include <QRegion>
#include <QVariantAnimation>
#include <QWidget>

// A picture of the panel that fades out where the panel was. A press outside must close the
// panel's popup at once, so that the press reaches what lies under the pointer; the picture,
// which takes no input, gives that closing its fade.
class PanelAfterimage final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int fadeMs = 120;

    PanelAfterimage();

    // Shows `picture` at `frame`, cut to `shape` unless that is empty, and fades it out.
    void fadeOut(const QPixmap &picture, const QRect &frame, const QRegion &shape);
    bool isFading() const { return m_fade.state() == QAbstractAnimation::Running; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_picture;
    QVariantAnimation m_fade;
};
