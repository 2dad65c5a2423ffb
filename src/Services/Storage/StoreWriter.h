#pragma once

#include "Models/Common/Result.h"
#include "Services/Storage/StoreFileCheck.h"
#include "Services/Storage/StoreSchema.h"

#include <QFuture>
#include <QMutex>
#include <QPromise>
#include <QString>
#include <QWaitCondition>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>

class QThread;
class StoreDatabase;

// The one read-write connection to a store's file, on a thread of its own, which runs the
// store's writes (saves, deletions, an import's batches and commits) one after another in the
// order they were asked for. Whoever asks is told the outcome through the future, so that no
// one waits for SQLite's lock: the main thread queues and goes on.
//
// An import holds one transaction open across several jobs. Those jobs carry its session:
// once the first of them has run, the jobs of no other session run until the one that ends it,
// so that no ordinary save is written inside the import's transaction (and taken back with
// it); they wait in the queue, in order, and run as soon as the import commits or rolls back.
class StoreWriter final
{
public:
    using Session = quint64;

    // Opens the connection to `path`, a file that StoreFileCheck found to hold `contents`, on
    // the writer's thread, whose first job makes the file's tables in a new file or upgrades an
    // older one; returns once it is done.
    static Result<std::shared_ptr<StoreWriter>> open(const QString &path, const StoreSchema &schema,
        StoreFileCheck::Contents contents = StoreFileCheck::Contents::Current);
    // Runs every job queued, then closes the connection.
    ~StoreWriter();
    StoreWriter(const StoreWriter &) = delete;
    StoreWriter &operator=(const StoreWriter &) = delete;

    const QString &filePath() const { return m_filePath; }
    // Whether a log that a crash left beside the file still holds what it held: opening folds
    // it into the file, and empties it, unless a reader kept it.
    bool logLeft() const { return m_logLeft; }

    // A new session for the jobs of one transaction that spans several of them.
    Session newSession();

    // Queues `job`, called with the connection on the writer's thread, after every job queued
    // before it; the future gives what it returns. With a session, the job belongs to it; with
    // `ends`, it is the session's last.
    template <typename Job> auto run(Job job, Session session = 0, bool ends = false)
    {
        using Value = std::invoke_result_t<Job &, const StoreDatabase &>;
        auto promise = std::make_shared<QPromise<Value>>();
        QFuture<Value> future = promise->future();
        promise->start();
        enqueue(
            [promise, job = std::move(job)](const StoreDatabase &database) mutable {
                promise->addResult(job(database));
                promise->finish();
            },
            session, ends);
        return future;
    }

    // Waits until every job queued so far has run: the last write before quitting.
    void waitForIdle();

private:
    struct Queued
    {
        std::function<void(const StoreDatabase &)> work;
        Session session = 0;
        bool ends = false;
    };

    StoreWriter(QString filePath, const StoreSchema &schema, StoreFileCheck::Contents contents);
    void enqueue(std::function<void(const StoreDatabase &)> work, Session session, bool ends);
    void loop();

    QString m_filePath;
    StoreSchema m_schema;
    StoreFileCheck::Contents m_contents;
    std::unique_ptr<QThread> m_thread;
    QMutex m_mutex;
    QWaitCondition m_wake;
    QWaitCondition m_idle;
    std::deque<Queued> m_queue;
    // The session whose transaction is open, 0 for none.
    Session m_open = 0;
    bool m_running = false;
    bool m_stopping = false;
    std::atomic<Session> m_lastSession = 0;
    // Set on the writer's thread once it has tried to open its connection.
    std::optional<Error> m_openError;
    bool m_opened = false;
    bool m_logLeft = false;
    QWaitCondition m_openDone;
};
