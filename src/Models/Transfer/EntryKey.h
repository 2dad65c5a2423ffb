#pragma once

#include <QString>
#include <QUuid>

// What an import's plan weighs of one clipboard entry of an export file, without its text or
// image: its place among the document's entries, whether it can be imported, its id and its
// content hash (ImportPlan::hash).
struct EntryKey
{
    qint64 index = -1;
    bool valid = false;
    QUuid id;
    QString hash;
};
