#include "Models/Clipboard/ClearRequest.h"

#include <QLocale>

namespace {

QString items(qint64 count)
{
    return QLocale().toString(count) + (count == 1 ? QStringLiteral(" item") : QStringLiteral(" items"));
}

} // namespace

QString ClearRequest::id() const
{
    return m_period ? ClipboardPeriods::id(*m_period) : QStringLiteral("all");
}

QString ClearRequest::title(qint64 count) const
{
    if (!m_period) {
        return count == 0 ? QStringLiteral("Your clipboard history is empty.")
                          : QStringLiteral("Delete all clipboard history?");
    }
    const QString word = ClipboardPeriods::word(*m_period);
    if (count == 0)
        return QStringLiteral("Nothing was copied ") + word + QStringLiteral(".");
    return QStringLiteral("Delete ") + items(count) + QStringLiteral(" copied ") + word + QStringLiteral("?");
}

QString ClearRequest::message(qint64 count, const QDateTime &now, const ClipboardCalendar &calendar) const
{
    if (m_period)
        return ClipboardPeriods::dates(*m_period, now, calendar);
    if (count == 0)
        return {};
    return QStringLiteral("All ") + items(count) + QStringLiteral(" will be deleted. This can\u2019t be undone.");
}

QString ClearRequest::deleteLabel() const
{
    return m_period ? QStringLiteral("Delete") : QStringLiteral("Delete All");
}
