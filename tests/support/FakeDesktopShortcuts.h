#pragma once

#include "Platform/DesktopShortcuts.h"

#include <QPair>
#include <QSet>

// The desktop's keyboard settings as a set of (key code, modifiers) that a test fills. Each read
// is answered at once, or, while `holdsAnswers`, when the test calls answer().
class FakeDesktopShortcuts final : public DesktopShortcuts
{
    Q_OBJECT

public:
    QSet<QPair<quint32, quint32>> listed;
    bool holdsAnswers = false;

    void read() override
    {
        ++reads;
        if (!holdsAnswers)
            answer();
    }
    bool lists(quint32 keyCode, quint32 modifiers) const override { return m_answer.contains({ keyCode, modifiers }); }

    void answer()
    {
        m_answer = listed;
        Q_EMIT answered();
    }
    int reads = 0;

private:
    QSet<QPair<quint32, quint32>> m_answer;
};
