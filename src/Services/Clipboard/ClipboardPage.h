#pragma once

#include "Models/Clipboard/ClipboardItem.h"

#include <QList>

// One page of a search of the clipboard history and how many entries match in all.
struct ClipboardPage
{
    QList<ClipboardItem> items;
    qint64 total = 0;
};
