#include "Services/Storage/StoreFileCheck.h"

#include "Platform/Logging.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <sqlite3.h>

#include <optional>

namespace {

// A read-only connection, closed when it goes.
class Reader final
{
public:
    Reader() = default;
    ~Reader() { sqlite3_close_v2(m_handle); }
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;

    bool open(const QByteArray &uri)
    {
        if (sqlite3_open_v2(uri.constData(), &m_handle, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) != SQLITE_OK)
            return false;
        return sqlite3_busy_timeout(m_handle, 2000) == SQLITE_OK;
    }

    // Every row of `sql` as text; absent when the statement fails.
    std::optional<QList<QStringList>> rows(const char *sql)
    {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(m_handle, sql, -1, &statement, nullptr) != SQLITE_OK)
            return std::nullopt;
        QList<QStringList> result;
        int code = SQLITE_ROW;
        while ((code = sqlite3_step(statement)) == SQLITE_ROW) {
            QStringList row;
            for (int column = 0; column < sqlite3_column_count(statement); ++column)
                row << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, column)));
            result << row;
        }
        sqlite3_finalize(statement);
        if (code != SQLITE_DONE)
            return std::nullopt;
        return result;
    }

    QString error() const
    {
        return m_handle ? QString::fromUtf8(sqlite3_errmsg(m_handle)) : QStringLiteral("out of memory");
    }

private:
    sqlite3 *m_handle = nullptr;
};

} // namespace

QByteArray StoreFileCheck::readingUri(const QString &path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QByteArray uri = "file:" + QUrl::toPercentEncoding(absolute, "/") + "?mode=ro";
    if (!QFileInfo::exists(absolute + QStringLiteral("-wal")))
        uri += "&immutable=1";
    else if (QFileInfo::exists(absolute + QStringLiteral("-shm")))
        uri += "&readonly_shm=1";
    return uri;
}

Result<StoreFileCheck::Contents> StoreFileCheck::inspect(const QString &path, const StoreSchema &schema)
{
    const auto refuse = [&](const QString &reason) {
        qCWarning(lcStore) << "refusing" << path << ":" << reason;
        return Error { schema.openFailed, reason };
    };

    const QFileInfo info(path);
    if (!info.exists())
        return Contents::Empty;
    if (!info.isFile())
        return refuse(QStringLiteral("%1 is not a file.").arg(path));
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return refuse(file.errorString());
        const QByteArray header = file.read(16);
        if (!header.isEmpty() && header != QByteArray("SQLite format 3", 16))
            return refuse(QStringLiteral("The file is not a database."));
    }

    Reader reader;
    if (!reader.open(readingUri(path)))
        return refuse(reader.error());
    const auto version = reader.rows("PRAGMA user_version");
    if (!version || version->isEmpty())
        return refuse(reader.error());
    const auto tables = reader.rows("SELECT name FROM sqlite_master WHERE type = 'table'");
    if (!tables)
        return refuse(reader.error());
    const int found = version->constFirst().constFirst().toInt();
    if (found == 0 && tables->isEmpty())
        return Contents::Empty;
    if (found > schema.version)
        return refuse(QStringLiteral("The file was saved by a newer version of Vemra."));
    const bool older = schema.upgradableFrom > 0 && found >= schema.upgradableFrom && found < schema.version;
    if (found != schema.version && !older)
        return refuse(QStringLiteral("The file holds something other than what Vemra keeps there."));

    for (const StoreSchema::Table &table : schema.tables) {
        const QByteArray sql = "SELECT name FROM pragma_table_info('" + table.name.toUtf8() + "')";
        const auto columns = reader.rows(sql.constData());
        if (!columns)
            return refuse(reader.error());
        QStringList present;
        for (const QStringList &row : *columns)
            present << row.constFirst();
        for (const QString &column : table.columns) {
            if (!present.contains(column))
                return refuse(QStringLiteral("The file holds something other than what Vemra keeps there."));
        }
    }

    return older ? Contents::Older : Contents::Current;
}

Status StoreFileCheck::verify(const QString &path, const StoreSchema &schema)
{
    Reader reader;
    if (!reader.open(readingUri(path))) {
        qCWarning(lcStore) << "cannot check" << path << ":" << reader.error();
        return Error { schema.openFailed, reader.error() };
    }
    // A mapped file would count every page read as this process's memory; 2 MB of cache do.
    if (!reader.rows("PRAGMA mmap_size = 0") || !reader.rows("PRAGMA cache_size = -2048"))
        qCWarning(lcStore) << "checking" << path << "with the usual cache:" << reader.error();
    const auto check = reader.rows("PRAGMA quick_check");
    const QString verdict = check && !check->isEmpty() ? check->constFirst().constFirst() : reader.error();
    if (verdict == QStringLiteral("ok"))
        return {};
    qCWarning(lcStore) << "refusing" << path << ": damaged:" << verdict;
    return Error { schema.openFailed, QStringLiteral("The file is damaged: %1").arg(verdict) };
}
