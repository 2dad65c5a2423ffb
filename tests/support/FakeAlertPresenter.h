#pragma once

#include "Platform/AlertPresenter.h"

#include <QList>

#include <functional>

// Records every alert instead of showing it and answers with a chosen button.
class FakeAlertPresenter final : public AlertPresenter
{
public:
    int present(const Alert &alert) override
    {
        m_alerts << alert;
        if (onPresent)
            onPresent(alert);
        return m_answers.isEmpty() ? 0 : m_answers.takeFirst();
    }

    // Replaces the alert "on screen", the last one presented.
    void update(const Alert &alert) override
    {
        if (!m_alerts.isEmpty())
            m_alerts.last() = alert;
        ++m_updates;
    }
    int updates() const { return m_updates; }

    // The buttons the next alerts are dismissed with, in order; the first button after that.
    void answerWith(QList<int> buttons) { m_answers = std::move(buttons); }
    const QList<Alert> &alerts() const { return m_alerts; }
    void clear() { m_alerts.clear(); }

    // Runs while the alert is "on screen", so a test can look at the world at that moment.
    std::function<void(const Alert &)> onPresent;

private:
    QList<Alert> m_alerts;
    QList<int> m_answers;
    int m_updates = 0;
};
