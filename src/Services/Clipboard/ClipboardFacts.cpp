#include "Services/Clipboard/ClipboardFacts.h"

#include "Models/Common/ShortTime.h"
#include "Platform/TypeIdentifiers.h"
#include "Services/Clipboard/ClipboardRowText.h"

#include <QMimeDatabase>
#include <QRegularExpression>
#include <QTextBoundaryFinder>

#include <cmath>

namespace {

QString counted(qint64 count, const QLocale &locale, const QString &noun)
{
    return locale.toString(count) + QLatin1Char(' ') + noun + (count == 1 ? QString() : QStringLiteral("s"));
}

qint64 characters(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qint64 count = 0;
    while (finder.toNextBoundary() > 0)
        ++count;
    return count;
}

// The locale's long date without the weekday and with the month abbreviated: "MMM d, yyyy"
// in English, "d. MMM yyyy" in German.
QString abbreviatedDateFormat(const QLocale &locale)
{
    QString format = locale.dateFormat(QLocale::LongFormat);
    format.remove(QRegularExpression(QStringLiteral("d{4}[,.]?\\s*")));
    format.replace(QStringLiteral("MMMM"), QStringLiteral("MMM"));
    return format.trimmed();
}

} // namespace

namespace ClipboardFacts {

QList<Fact> facts(const ClipboardItem &item, const ClipboardCalendar &calendar)
{
    QList<Fact> list;
    list.append({ QStringLiteral("Copied"),
        item.copyCount == 1 ? QStringLiteral("Once") : QString::number(item.copyCount) + QStringLiteral(" times") });
    list.append({ QStringLiteral("Last copied"), dateTime(item.lastCopiedAt, calendar) });
    if (item.createdAt != item.lastCopiedAt)
        list.append({ QStringLiteral("First copied"), dateTime(item.createdAt, calendar) });
    if (!item.sourceAppName.isEmpty())
        list.append({ QStringLiteral("From"), ClipboardRowText::capped(item.sourceAppName) });
    list.append({ QStringLiteral("Size"), size(item, calendar.locale) });
    return list;
}

QString size(const ClipboardItem &item, const QLocale &locale)
{
    switch (item.kind()) {
    case ClipboardKind::Text:
    case ClipboardKind::Url:
    case ClipboardKind::Code:
        if (item.textPath)
            return byteCount(item.byteCount, locale);
        return counted(characters(item.content), locale, QStringLiteral("character"));
    case ClipboardKind::File:
        return counted(item.filePaths().size(), locale, QStringLiteral("file"));
    case ClipboardKind::Image: {
        QStringList parts;
        if (const std::optional<QString> dimensions = item.dimensions())
            parts << *dimensions;
        parts << byteCount(item.byteCount, locale);
        if (const QString type = typeDescription(item.mimeType); !type.isEmpty())
            parts << type;
        return parts.join(QStringLiteral(" \u00B7 "));
    }
    }
    return {};
}

QString byteCount(qint64 bytes, const QLocale &locale)
{
    if (bytes == 0)
        return QStringLiteral("Zero KB");
    if (bytes < 1000)
        return counted(bytes, locale, QStringLiteral("byte"));
    struct Unit
    {
        double size;
        const char *name;
        int decimals;
    };
    static constexpr Unit units[] { { 1e3, " KB", 0 }, { 1e6, " MB", 1 }, { 1e9, " GB", 2 }, { 1e12, " TB", 2 } };
    const Unit *unit = &units[0];
    for (const Unit &candidate : units) {
        if (double(bytes) >= candidate.size)
            unit = &candidate;
    }
    const double scale = std::pow(10.0, unit->decimals);
    const double value = std::round(double(bytes) / unit->size * scale) / scale;
    QString number = locale.toString(value, 'f', unit->decimals);
    // Whole values drop their decimals: "2 MB", not "2.0 MB".
    const QString point = locale.decimalPoint();
    if (unit->decimals > 0 && number.contains(point)) {
        while (number.endsWith(locale.zeroDigit()))
            number.chop(locale.zeroDigit().size());
        if (number.endsWith(point))
            number.chop(point.size());
    }
    return number + QLatin1String(unit->name);
}

QString dateTime(const QDateTime &moment, const ClipboardCalendar &calendar)
{
    const QDateTime local = moment.toTimeZone(calendar.timeZone);
    return calendar.locale.toString(local.date(), abbreviatedDateFormat(calendar.locale)) + QStringLiteral(", ")
        + ShortTime::text(local.time(), calendar.locale);
}

QString typeDescription(const QString &identifier)
{
    const QString mime = TypeIdentifiers::mimeType(identifier);
    if (mime.isEmpty())
        return {};
    static const QMimeDatabase database;
    const QMimeType type = database.mimeTypeForName(mime);
    return type.isValid() ? type.comment() : QString();
}

} // namespace ClipboardFacts
