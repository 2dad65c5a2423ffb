#pragma once

#include "Platform/DesktopNotifications.h"

#include <QList>

// Keeps what was posted.
class FakeDesktopNotifications final : public DesktopNotifications
{
public:
    struct Posted
    {
        QString tag;
        QString summary;
        QString body;
    };

    void post(const QString &tag, const QString &summary, const QString &body) override
    {
        posted.append({ tag, summary, body });
    }

    QList<Posted> posted;
};
