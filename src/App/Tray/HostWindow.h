#pragma once

#include <QWidget>

// A top-level window that is only hidden when the user closes it, so the same window (and the
// state of its views) comes back at the next showing.
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

Q_SIGNALS:
    // The user is closing the window; it is still visible while this runs.
    void windowClosing();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *m_content = nullptr;
};
