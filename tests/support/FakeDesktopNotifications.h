#pragma once

#include "Platform/DesktopNotifications.h"

#include <QList>

// Keeps what was posted and answers with ids counting up from 1, or the id to replace.
class FakeDesktopNotifications final : public DesktopNotifications
{
public:
    struct Posted
    {
        QString summary;
        QString body;
        quint32 replaces = 0;
    };

    QCoro::Task<quint32> post(QString summary, QString body, quint32 replaces) override
    {
        posted.append({ summary, body, replaces });
        co_return replaces != 0 ? replaces : ++lastId;
    }

    QList<Posted> posted;
    quint32 lastId = 0;
};
