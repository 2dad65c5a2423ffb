#pragma once

#include "Models/Clipboard/ClipboardCalendar.h"
#include "Models/Clipboard/ClipboardItem.h"

#include <QList>
#include <QLocale>
#include <QString>

// The facts the preview lists under an entry, in the calendar's locale and time zone.
namespace ClipboardFacts {

struct Fact
{
    QString label;
    QString value;

    bool operator==(const Fact &) const = default;
};

// "Copied", "Last copied", "First copied" (only when it differs), "From" (only when known),
// "Size".
QList<Fact> facts(const ClipboardItem &item, const ClipboardCalendar &calendar);

// The "Size" fact: the stored bytes for a text kept in a side file, else the characters; the
// number of files; the dimensions, bytes and type of a picture.
QString size(const ClipboardItem &item, const QLocale &locale);
// A byte count in the file style, decimal units: "Zero KB", "1 byte", "345 KB", "1.2 MB".
QString byteCount(qint64 bytes, const QLocale &locale);
// The date with its month abbreviated and the short time, in the calendar's zone and locale.
QString dateTime(const QDateTime &moment, const ClipboardCalendar &calendar);
// The type's description ("PNG image") for a stored type identifier; empty when unknown.
QString typeDescription(const QString &identifier);

} // namespace ClipboardFacts
