#pragma once

#include "Models/Transfer/ContentDigest.h"

#include <QUuid>

// Where one clipboard entry of an export file lies: its place among the document's entries,
// and the bytes of its object in the file.
struct EntryPlace
{
    qint64 index = -1;
    qint64 offset = 0;
    qint64 length = 0;

    friend bool operator==(const EntryPlace &, const EntryPlace &) = default;
};

// What an import's plan weighs of one clipboard entry of an export file, without its text or
// image: where it lies, whether it can be imported, its id and its content hash
// (ImportPlan::hash), which is left zero for an entry whose id the history holds already.
struct EntryKey
{
    EntryPlace place;
    bool valid = false;
    QUuid id;
    ContentDigest hash;
};
