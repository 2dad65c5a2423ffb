#pragma once

#include <QEvent>
#include <QObject>
#include <QString>
#include <QWidget>

#include <functional>
#include <utility>

// Checks what a window shows at every drawing of it, not only once a frame's work is done: the
// event loop hands out a window's update request, and so draws it, before the layout requests
// that were posted after it, so a look half taken in can reach the screen. The check returns
// what is wrong, or nothing.
//
//     DrawnFrames frames(window, [&] { return row->y() == before ? QString() : QStringLiteral("moved"); });
//     clock.step(16);
//     frames.check(QStringLiteral("after the first step"));
//     QVERIFY2(frames.failure().isEmpty(), qPrintable(frames.failure()));
class DrawnFrames final : public QObject
{
public:
    DrawnFrames(QWidget *window, std::function<QString()> check)
        : m_window(window)
        , m_check(std::move(check))
    {
        m_window->installEventFilter(this);
    }
    ~DrawnFrames() override { m_window->removeEventFilter(this); }
    DrawnFrames(const DrawnFrames &) = delete;
    DrawnFrames &operator=(const DrawnFrames &) = delete;

    // Checks now too, naming the moment.
    void check(const QString &when)
    {
        const QString wrong = m_check();
        if (!wrong.isEmpty() && m_failure.isEmpty())
            m_failure = when + QStringLiteral(": ") + wrong;
    }
    // The first thing found wrong, and when; empty while every look passed.
    QString failure() const { return m_failure; }
    // How many drawings were checked.
    int drawings() const { return m_drawings; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::UpdateRequest && m_window->isVisible()) {
            ++m_drawings;
            check(QStringLiteral("drawing ") + QString::number(m_drawings));
        }
        return false;
    }

private:
    QWidget *m_window;
    std::function<QString()> m_check;
    QString m_failure;
    int m_drawings = 0;
};
