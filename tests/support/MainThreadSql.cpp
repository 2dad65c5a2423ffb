#include "MainThreadSql.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QMutex>
#include <QThread>

#include <sqlite3.h>

#include <algorithm>

namespace {

QMutex seenLock;
QList<QByteArray> seen;

int noteStatement(unsigned, void *, void *statement, void *)
{
    const QCoreApplication *application = QCoreApplication::instance();
    if (!application || QThread::currentThread() != application->thread())
        return 0;
    if (const char *sql = sqlite3_sql(static_cast<sqlite3_stmt *>(statement))) {
        const QMutexLocker lock(&seenLock);
        seen.append(QByteArray(sql));
    }
    return 0;
}

int traceConnection(sqlite3 *handle, char **, const sqlite3_api_routines *)
{
    sqlite3_trace_v2(handle, SQLITE_TRACE_STMT, noteStatement, nullptr);
    return SQLITE_OK;
}

} // namespace

void MainThreadSql::watch()
{
    static const bool watching = [] {
        sqlite3_auto_extension(reinterpret_cast<void (*)()>(&traceConnection));
        return true;
    }();
    Q_UNUSED(watching);
}

void MainThreadSql::reset()
{
    const QMutexLocker lock(&seenLock);
    seen.clear();
}

int MainThreadSql::count(QByteArrayView text)
{
    const QMutexLocker lock(&seenLock);
    return int(std::count_if(seen.cbegin(), seen.cend(), [text](const QByteArray &sql) { return sql.contains(text); }));
}
