#include "Services/Storage/StoreStatement.h"

#include "Services/Storage/StoreDatabase.h"

#include <sqlite3.h>

StoreStatement::StoreStatement(const StoreDatabase &database, const char *sql)
    : m_database(database)
{
    sqlite3 *connection = database.handle();
    if (!connection) {
        m_status = database.saveError(QStringLiteral("The store’s connection is closed."));
        return;
    }
    const int code = sqlite3_prepare_v3(connection, sql, -1, SQLITE_PREPARE_PERSISTENT, &m_statement, nullptr);
    if (code != SQLITE_OK)
        m_status = failure(code);
}

StoreStatement::~StoreStatement()
{
    sqlite3_finalize(m_statement);
}

void StoreStatement::bind(int place, const QString &text)
{
    // An empty text, not NULL, for a null string: the columns are NOT NULL texts.
    static const char16_t empty = 0;
    const void *data = text.isNull() ? static_cast<const void *>(&empty) : static_cast<const void *>(text.utf16());
    sqlite3_bind_text16(m_statement, place, data, int(text.size() * 2), SQLITE_STATIC);
}

void StoreStatement::bind(int place, const std::optional<QString> &text)
{
    if (text)
        bind(place, *text);
    else
        bindNull(place);
}

void StoreStatement::bind(int place, const QByteArray &bytes)
{
    // An empty blob, not NULL, for a null array.
    sqlite3_bind_blob64(
        m_statement, place, bytes.isNull() ? "" : bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_STATIC);
}

void StoreStatement::bindUtf8(int place, const QByteArray &text)
{
    sqlite3_bind_text64(m_statement, place, text.isNull() ? "" : text.constData(), sqlite3_uint64(text.size()),
        SQLITE_STATIC, SQLITE_UTF8);
}

void StoreStatement::bind(int place, qint64 number)
{
    sqlite3_bind_int64(m_statement, place, number);
}

void StoreStatement::bindNull(int place)
{
    sqlite3_bind_null(m_statement, place);
}

Status StoreStatement::run()
{
    if (!m_status)
        return m_status;
    const int code = sqlite3_step(m_statement);
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
    if (code != SQLITE_DONE && code != SQLITE_ROW)
        m_status = failure(code);
    return m_status;
}

bool StoreStatement::next()
{
    if (!m_status)
        return false;
    const int code = sqlite3_step(m_statement);
    if (code == SQLITE_ROW)
        return true;
    if (code != SQLITE_DONE)
        m_status = failure(code);
    sqlite3_reset(m_statement);
    return false;
}

qint64 StoreStatement::integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

bool StoreStatement::isBytes(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_BLOB;
}

bool StoreStatement::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

QString StoreStatement::text(int column) const
{
    // The stores' files keep UTF-8, which Qt decodes faster than SQLite turns it into UTF-16.
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(m_statement, column));
}

QByteArrayView StoreStatement::bytes(int column) const
{
    const void *data = sqlite3_column_blob(m_statement, column);
    return QByteArrayView(static_cast<const char *>(data), sqlite3_column_bytes(m_statement, column));
}

Error StoreStatement::failure(int code) const
{
    sqlite3 *connection = m_database.handle();
    Error error = m_database.saveError(
        QString::fromUtf8(connection ? sqlite3_errmsg(connection) : sqlite3_errstr(code)).trimmed());
    if ((code & 0xff) == SQLITE_FULL)
        error.kind = Error::Kind::DiskFull;
    return error;
}
