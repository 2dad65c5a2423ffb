#pragma once

#include "Models/Common/Result.h"

#include <QByteArray>
#include <QString>

#include <optional>

class StoreDatabase;
struct sqlite3_stmt;

// One statement prepared on a store's connection and run many times, with its values bound
// straight from Qt's strings and bytes: the way rows are written by the thousand, without a
// variant per value. Made, used and dropped on the connection's thread.
class StoreStatement final
{
public:
    StoreStatement(const StoreDatabase &database, const char *sql);
    ~StoreStatement();
    StoreStatement(const StoreStatement &) = delete;
    StoreStatement &operator=(const StoreStatement &) = delete;

    // The error of preparing, if any.
    Status prepared() const { return m_status; }

    // Values by place, from 1. A text is kept by reference until the next step: the caller
    // keeps it alive until then. A null QString is bound as an empty text.
    void bind(int place, const QString &text);
    void bind(int place, const std::optional<QString> &text);
    void bind(int place, const QByteArray &bytes);
    // A text already in UTF-8, kept by reference like the others.
    void bindUtf8(int place, const QByteArray &text);
    void bind(int place, qint64 number);
    void bindNull(int place);

    // Runs the statement with the values bound, then clears them for the next row.
    Status run();
    // Steps a query: true while a row is there to read, false at its end or on an error,
    // which `status()` tells afterwards.
    bool next();
    Status status() const { return m_status; }
    qint64 integer(int column) const;
    // Whether the column holds bytes rather than a text (or a number).
    bool isBytes(int column) const;
    bool isNull(int column) const;
    // The column's bytes, valid until the next step.
    QByteArrayView bytes(int column) const;
    QString text(int column) const;

private:
    Error failure(int code) const;

    const StoreDatabase &m_database;
    sqlite3_stmt *m_statement = nullptr;
    Status m_status;
};
