#pragma once

#include <QMargins>
#include <QWidget>

// A top-level window that is only hidden when the user closes it, so the same window (and the
// state of its views) comes back at the next showing. It stays inside the available area of its
// screen, frame included: when it shows, when it grows and when the window manager gives it its
// frame, it moves back in (and a resizable window larger than the area shrinks to it, below its
// least size on a screen smaller still); where the user drags it is left alone.
//
// A resizable window's size is its own: the size it was made or dragged to. Its content's least
// size can make it larger while the content needs that, and what it grew by goes again once the
// content needs less.
class WindowFrame;

class HostWindow final : public QWidget
{
    Q_OBJECT

public:
    explicit HostWindow(QWidget *parent = nullptr);

    // Replaces the window's content; the window takes ownership.
    void setContent(QWidget *content);
    QWidget *content() const { return m_content; }
    // Centres the window on its screen; call it while the window is hidden, before showing.
    void centreOnScreen();
    // Brings the window to the front and asks for the keyboard.
    void bringToFront();

    // A frame moved the least distance that puts it inside the area, first made no larger than
    // the area but no smaller than `smallest` (nor than the area, if it is `resizable`); one
    // still larger keeps its top-left corner (and so its title bar) in the area.
    static QRect fitted(const QRect &frame, const QRect &area, QSize smallest, bool resizable);

    // The largest client size whose frame fits the available area of the window's screen.
    QSize room() const;

Q_SIGNALS:
    // The room changed: the window manager told the frame, or the window went to another screen.
    void roomChanged();

    // The user is closing the window; it is still visible while this runs.
    void windowClosing();

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void keepInsideScreen();
    void frameChanged();
    void setFrameMargins(const QMargins &margins);
    void giveBackGrowth();
    void takeGivenSize(QSize now, QSize before);

    QWidget *m_content = nullptr;
    WindowFrame *m_frame = nullptr;
    // As last heard of: the window manager's, else the toolkit's idea of it.
    QMargins m_frameMargins;
    bool m_fitting = false;
    // The size it was made, dragged or fitted to, without what the content's least size added.
    QSize m_given;
    bool m_givingBack = false;
};
