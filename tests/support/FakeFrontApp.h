#pragma once

#include "Platform/FrontApp.h"

// The application in front, as a test sets it.
class FakeFrontApp final : public FrontApp
{
public:
    FrontApplication current() const override { return m_app; }

    void set(const QString &appId, const QString &name, const QStringList &aliases = {})
    {
        m_app = { appId, name, aliases };
    }
    void clear() { m_app = {}; }

private:
    FrontApplication m_app;
};
