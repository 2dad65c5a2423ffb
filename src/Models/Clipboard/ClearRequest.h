#pragma once

#include "Models/Clipboard/ClipboardCalendar.h"
#include "Models/Clipboard/ClipboardPeriod.h"

#include <QDateTime>
#include <QString>

#include <optional>

// What a clearing of the clipboard history would delete: one period, or everything.
class ClearRequest final
{
public:
    static ClearRequest all() { return ClearRequest(std::nullopt); }
    static ClearRequest of(ClipboardPeriod period) { return ClearRequest(period); }

    bool isAll() const { return !m_period.has_value(); }
    std::optional<ClipboardPeriod> period() const { return m_period; }
    // "today", "lastWeek", "lastMonth" or "all".
    QString id() const;

    // The confirmation's headline for `count` covered items.
    QString title(qint64 count) const;
    // The confirmation's second line: the period's dates, or for everything the warning
    // (empty when there is nothing to delete).
    QString message(
        qint64 count, const QDateTime &now, const ClipboardCalendar &calendar = ClipboardCalendar::current()) const;
    // The confirming button: "Delete All" for everything, "Delete" for a period.
    QString deleteLabel() const;

    bool operator==(const ClearRequest &) const = default;

private:
    explicit ClearRequest(std::optional<ClipboardPeriod> period)
        : m_period(period)
    {
    }

    std::optional<ClipboardPeriod> m_period;
};
