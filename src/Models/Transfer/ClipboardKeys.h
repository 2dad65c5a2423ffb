#pragma once

#include <QSet>
#include <QString>
#include <QUuid>

// What identifies the entries of a clipboard history: their ids and content hashes.
struct ClipboardKeys
{
    QSet<QUuid> ids;
    QSet<QString> hashes;
};
