#pragma once

#include "Platform/DesktopShortcuts.h"

#include <QPair>
#include <QSet>

// The desktop's keyboard settings as a set of (key code, modifiers) that a test fills.
class FakeDesktopShortcuts final : public DesktopShortcuts
{
public:
    QSet<QPair<quint32, quint32>> listed;

    bool lists(quint32 keyCode, quint32 modifiers) const override { return listed.contains({ keyCode, modifiers }); }
};
