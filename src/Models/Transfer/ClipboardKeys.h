#pragma once

#include "Models/Transfer/ContentDigest.h"

#include <QSet>
#include <QUuid>

// What identifies the entries of a clipboard history: their ids and content hashes.
struct ClipboardKeys
{
    QSet<QUuid> ids;
    QSet<ContentDigest> hashes;
};
