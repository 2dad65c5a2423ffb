#pragma once

#include "Models/Clipboard/ClipboardItem.h"
#include "Models/Common/Result.h"
#include "Services/Clipboard/ClipboardSearch.h"
#include "Services/Storage/StoreDatabase.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <memory>
#include <utility>

class StoreStatement;

// The clipboard history's tables: the entries with what a search looks through, and, while
// changes are pending, the ids of the stored entries they replace. Knows the columns and how
// an entry is written and read; what to write when is the store's.
class ClipboardDatabase final
{
public:
    static const StoreSchema &schema();

    // A connection that writes to the file itself, for tools and tests.
    static Result<std::unique_ptr<ClipboardDatabase>> open(const QString &path);
    // The store's reading connection to a file its writer has opened, whose search takes over
    // the column of the search during the file's check.
    static Result<std::unique_ptr<ClipboardDatabase>> read(const QString &path, ClipboardSearch::Column handed = {});
    // A reading connection to a file of this version while its check is under way, which
    // changes nothing on the disk but the search's column (StoreDatabase::peek); dropped, with
    // the column's making over, before anything writes to the file.
    static Result<std::unique_ptr<ClipboardDatabase>> peek(const QString &path);
    static std::unique_ptr<ClipboardDatabase> inMemory();

    StoreDatabase &sql() const { return *m_sql; }
    ClipboardSearch &search() { return m_search; }

    // The select list of a query of clipboard_item AS i, in the order item() reads it.
    static const QString &columns();
    static ClipboardItem item(const QSqlQuery &row);
    static ClipboardItem item(const StoreStatement &row);
    // The same list with the four names read as their codes, and the names of the codes: for
    // reading the whole history, where the few names, looked up once, save a lookup per name and
    // row. The hash is read as stored, empty where it is a short text's own: the export writes
    // none, and working it out would cost a hashing of every text.
    using Names = QHash<qint64, QString>;
    static const QString &codedColumns();
    static Result<Names> names(const StoreDatabase &sql);

    // The stored forms of an id (16 bytes) and of a content hash (the 32 bytes of a SHA-256,
    // any other text as it is), and back; the text forms of older files read as well.
    static QVariant idValue(const QUuid &id);
    static QUuid idFrom(const QVariant &value);
    static QVariant hashValue(const QString &hash);
    static QString hashFrom(const QVariant &value);
    // The condition on clipboard_item AS i that finds an entry by the stored form of its hash,
    // bound twice.
    static QString hashMatch();

    // What a save writes: entries new or changed, ids deleted, and spans of last copies
    // deleted wholesale (start inclusive, end exclusive).
    struct Changes
    {
        QList<ClipboardItem> items;
        QSet<QUuid> deletions;
        QList<std::pair<qint64, qint64>> ranges;
    };
    // Writes the changes in one transaction through `sql`, this store's connection or another
    // one to its file; the number of entries deleted.
    static Result<qint64> write(const StoreDatabase &sql, const Changes &changes);

    // An entry in the form its row is stored in: its text as UTF-8, its hash as kept (empty
    // when it is a short text's own, whose hash the hash index is then given rather than works
    // out again). Made on any thread, so that an import's workers, not the writer, make them.
    struct Row
    {
        explicit Row(ClipboardItem entry);

        ClipboardItem item;
        QByteArray id;
        QByteArray content;
        // Bytes, or the text of a hash that is no SHA-256.
        QByteArray hash;
        bool hashIsText = false;
        // The SHA-256 of `content` where the stored hash is empty, for the hash index.
        QByteArray digest;
    };
    // Adds entries not stored yet through `sql` inside the caller's own transaction; an id
    // stored already fails, and the stored entry stays as it is.
    static Status insert(const StoreDatabase &sql, const QList<Row> &rows);
    qint64 storedCount() const;
    // The same through `sql`, another connection to the file.
    static Result<qint64> storedCount(const StoreDatabase &sql);

private:
    ClipboardDatabase(std::unique_ptr<StoreDatabase> sql, ClipboardSearch::File file, ClipboardSearch::Column handed);
    static Result<std::unique_ptr<ClipboardDatabase>> prepared(Result<std::unique_ptr<StoreDatabase>> opened,
        ClipboardSearch::File file = ClipboardSearch::File::Checked, ClipboardSearch::Column handed = {});
    Status prepare();
    // An entry from a row whose names `name` reads by column.
    template <typename Name> static ClipboardItem itemRead(const StoreStatement &row, Name name);

    std::unique_ptr<StoreDatabase> m_sql;
    ClipboardSearch m_search;
};
