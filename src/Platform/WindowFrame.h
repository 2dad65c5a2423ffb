#pragma once

#include <QMargins>
#include <QObject>

#include <memory>

class QWindow;

// The frame the window manager draws around one top-level window (its title bar and borders), in
// the window's own units. The window manager sets it as it first shows the window, and it need
// not move the window to make room for it: whoever keeps the window on the screen has to hear of
// it. Where the desktop does not tell it (outside X11, or a window manager that does not say), it
// is the toolkit's own idea of the frame.
class WindowFrame final : public QObject
{
    Q_OBJECT

public:
    // `window` must have its native window already (QWidget::winId()).
    explicit WindowFrame(QWindow *window, QObject *parent = nullptr);
    ~WindowFrame() override;

    // The frame as the window manager last set it.
    QMargins margins() const;
    // The frame the window manager will give the window, asked for before it is shown, so that
    // it can be placed whole at its first showing. Waits a moment for the answer.
    QMargins ask();

Q_SIGNALS:
    // The window manager set the window's frame, or set it anew.
    void changed();

private:
    class X11;
    QWindow *m_window;
    std::unique_ptr<X11> m_x;
};
