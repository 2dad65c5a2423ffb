#pragma once

#include "Models/Common/Result.h"
#include "Platform/Logging.h"
#include "Services/Storage/SaveRetry.h"

#include <QFuture>
#include <QFutureWatcher>
#include <QScopedValueRollback>
#include <QSet>
#include <QString>
#include <QUuid>

#include <chrono>
#include <optional>
#include <utility>

// A store's save on its file's writer, the same for both stores: at most one under way, what it
// took of the pending changes (`Taken`) and whether its failure is told, the entries changed
// since it began (which stay pending when it ends), a save asked for meanwhile, and the retry
// after a failure. The writer comes back with `Outcome`; the store hears of it through
// `watcher()`'s `finished` and of a retry through `retry()`'s `due`.
template <typename Taken, typename Outcome> class StoreSave final
{
public:
    // Whether a failed save is told (a save the user's change asked for) or only logged (a
    // retry of one already told).
    enum class Report { Failure, Quietly };
    // A save the writer is done with.
    struct Done
    {
        Taken taken;
        Outcome outcome;
        Report report;
    };

    // `what` names the store's contents in the log.
    explicit StoreSave(QString what)
        : m_what(std::move(what))
    {
    }
    StoreSave(const StoreSave &) = delete;
    StoreSave &operator=(const StoreSave &) = delete;

    const QFutureWatcher<Outcome> &watcher() const { return m_write; }
    const SaveRetry &retry() const { return m_retry; }
    void setRetryInterval(std::chrono::milliseconds interval) { m_retry.setInterval(interval); }

    bool isUnderWay() const { return m_taken.has_value(); }
    // An entry changes now: the save under way may be writing an older version of it.
    void touch(const QUuid &id)
    {
        if (m_taken)
            m_touched.insert(id);
    }
    const QSet<QUuid> &touched() const { return m_touched; }
    // The finished save's changes are settled: what was touched meanwhile is pending as any other.
    void forgetTouched() { m_touched.clear(); }

    // A save asked for now: the report it is written with, or none while one is under way,
    // once which it is asked again (and told if any save asked meanwhile was to be).
    std::optional<Report> admit(Report report)
    {
        if (m_telling)
            report = Report::Quietly;
        if (m_taken) {
            if (!m_asked || report == Report::Failure)
                m_asked = report;
            return std::nullopt;
        }
        return report;
    }
    // The save asked for while one was under way.
    std::optional<Report> asked() { return std::exchange(m_asked, std::nullopt); }

    // Hands a save to the writer.
    void begin(Taken taken, Report report, QFuture<Outcome> write)
    {
        m_taken = std::move(taken);
        m_reports = report == Report::Failure;
        m_write.setFuture(std::move(write));
    }
    // The save under way once the writer is done with it; none before.
    std::optional<Done> finish()
    {
        if (!m_taken || !m_write.isFinished())
            return std::nullopt;
        Outcome outcome = m_write.result();
        return Done { *std::exchange(m_taken, std::nullopt), std::move(outcome),
            m_reports ? Report::Failure : Report::Quietly };
    }
    // Waits for the save under way and each that `finish` begins after it.
    template <typename Finish> void drain(Finish finish)
    {
        while (m_taken) {
            m_write.waitForFinished();
            finish();
        }
    }

    // A save failed: tried again after the interval, and told through `tell(error)` (a save
    // asked for meanwhile is not told again) or only logged.
    template <typename Tell> void failed(const Error &error, Report report, Tell tell)
    {
        m_retry.failed();
        if (report == Report::Failure) {
            const QScopedValueRollback telling(m_telling, true);
            tell(error);
        } else
            qCInfo(lcStore).noquote() << m_what << "still not saved:" << error.detail;
    }
    // A failure not told: the last write before quitting reports its own.
    void retryLater() { m_retry.failed(); }
    // Nothing waits to be written.
    void nothingPending() { m_retry.succeeded(); }

private:
    QString m_what;
    SaveRetry m_retry;
    QFutureWatcher<Outcome> m_write;
    std::optional<Taken> m_taken;
    bool m_reports = true;
    QSet<QUuid> m_touched;
    std::optional<Report> m_asked;
    // While a failure is told.
    bool m_telling = false;
};
