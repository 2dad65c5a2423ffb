#include "Services/Storage/StoreWriter.h"

#include "Services/Storage/StoreDatabase.h"

#include <QFileInfo>
#include <QThread>

Result<std::shared_ptr<StoreWriter>> StoreWriter::open(
    const QString &path, const StoreSchema &schema, StoreFileCheck::Contents contents)
{
    std::shared_ptr<StoreWriter> writer(new StoreWriter(path, schema, contents));
    // Quick (a connection and its settings) but for an upgrade, which runs where the file's
    // check does.
    const QMutexLocker lock(&writer->m_mutex);
    while (!writer->m_opened)
        writer->m_openDone.wait(&writer->m_mutex);
    if (writer->m_openError)
        return *writer->m_openError;
    return writer;
}

StoreWriter::StoreWriter(QString filePath, const StoreSchema &schema, StoreFileCheck::Contents contents)
    : m_filePath(std::move(filePath))
    , m_schema(schema)
    , m_contents(contents)
{
    m_thread.reset(QThread::create([this] { loop(); }));
    m_thread->setObjectName(QStringLiteral("vemra-store-writer"));
    m_thread->start();
}

StoreWriter::~StoreWriter()
{
    {
        const QMutexLocker lock(&m_mutex);
        m_stopping = true;
        m_wake.wakeAll();
    }
    m_thread->wait();
}

StoreWriter::Session StoreWriter::newSession()
{
    return ++m_lastSession;
}

void StoreWriter::enqueue(std::function<void(const StoreDatabase &)> work, Session session, bool ends)
{
    const QMutexLocker lock(&m_mutex);
    m_queue.push_back({ std::move(work), session, ends });
    m_wake.wakeAll();
}

void StoreWriter::waitForIdle()
{
    const QMutexLocker lock(&m_mutex);
    while (m_running || !m_queue.empty())
        m_idle.wait(&m_mutex);
}

void StoreWriter::loop()
{
    // The connection is made, used and dropped on this thread; making or upgrading the file is
    // its first job.
    std::unique_ptr<StoreDatabase> database;
    {
        // A log of any length means a crash: the last connection to close empties it. What it
        // holds is in the file only once folded: until then the file's own pages keep what
        // its last transactions deleted, whatever secure deletion wrote to the log.
        const bool logLeft = QFileInfo(m_filePath + QStringLiteral("-wal")).size() > 0;
        Result<std::unique_ptr<StoreDatabase>> attached = StoreDatabase::open(m_filePath, m_schema, m_contents);
        const bool folded = !logLeft || !attached || attached.value()->foldLog();
        const QMutexLocker lock(&m_mutex);
        m_logLeft = !folded;
        if (attached)
            database = std::move(attached).value();
        else
            m_openError = attached.error();
        m_opened = true;
        m_openDone.wakeAll();
        if (!database)
            return;
    }
    for (;;) {
        Queued job;
        {
            QMutexLocker lock(&m_mutex);
            for (;;) {
                // While a session's transaction is open, only its own jobs run.
                const auto next = std::find_if(m_queue.begin(), m_queue.end(),
                    [this](const Queued &queued) { return m_open == 0 || queued.session == m_open; });
                if (next != m_queue.end()) {
                    job = std::move(*next);
                    m_queue.erase(next);
                    break;
                }
                if (m_queue.empty())
                    m_idle.wakeAll();
                if (m_stopping && m_queue.empty())
                    return;
                m_wake.wait(&m_mutex);
            }
            if (job.session != 0)
                m_open = job.ends ? 0 : job.session;
            m_running = true;
        }
        job.work(*database);
        const QMutexLocker lock(&m_mutex);
        m_running = false;
        if (m_queue.empty())
            m_idle.wakeAll();
    }
}
