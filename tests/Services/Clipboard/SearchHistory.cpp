#include "SearchHistory.h"

#include "Platform/DataPaths.h"
#include "Services/Storage/StoreWriter.h"

#include <QSqlQuery>
#include <QTest>

#include <random>

namespace SearchHistory {

QList<ClipboardItem> history(int size)
{
    const QStringList words = QStringLiteral("Price print PRIMARY café CAFÉ naïve Résumé invoice total "
                                             "한국어 공부 하늘 ＦＵＬＬ width quick brown fox 77777 zz qu")
                                  .split(QLatin1Char(' '));
    const QStringList apps { QStringLiteral("Web Browser"), QStringLiteral("Text Editor"), QStringLiteral("Café") };
    std::mt19937 random(1206);
    QList<ClipboardItem> items;
    for (int i = 0; i < size; ++i) {
        QStringList picked;
        for (int n = std::uniform_int_distribution<int>(1, 8)(random); n > 0; --n)
            picked << words[std::uniform_int_distribution<qsizetype>(0, words.size() - 1)(random)];
        picked << QString::number(i);
        ClipboardItem item;
        item.id = QUuid::createUuid();
        const int kind = i % 10;
        item.rawKind = kind == 0 ? QStringLiteral("url") : kind == 1 ? QStringLiteral("file") : QStringLiteral("text");
        item.content = kind == 0 ? QStringLiteral("https://example.org/") + picked.join(QLatin1Char('/'))
                                 : picked.join(QLatin1Char(' '));
        // Now and then a long text, which the column keeps compressed.
        if (i % 997 == 2)
            item.content = QString(item.content + QLatin1Char('\n')).repeated(400);
        item.contentHash = QString::number(i);
        item.createdAt = QDateTime::fromMSecsSinceEpoch(1'700'000'000'000 + qint64(i / 3) * 1000, Qt::UTC);
        item.lastCopiedAt = item.createdAt;
        item.copyCount = 1;
        item.mimeType = QStringLiteral("public.utf8-plain-text");
        item.sourceAppName = apps[i % apps.size()];
        item.sourceAppId = QStringLiteral("org.example.app");
        items << item;
    }
    return items;
}

QString folder()
{
    return DataPaths::appFolder() + QStringLiteral("/Clipboard");
}

QString filePath()
{
    return folder() + QLatin1Char('/') + ClipboardStore::databaseFileName();
}

std::unique_ptr<ClipboardStore> storeOf(const QList<ClipboardItem> &items)
{
    {
        auto database = ClipboardDatabase::open(filePath());
        if (!database)
            return {};
        ClipboardDatabase::Changes changes;
        changes.items = items;
        if (!ClipboardDatabase::write(database.value()->sql(), changes))
            return {};
    }
    return ClipboardStore::make(folder());
}

QStringList terms()
{
    return { QStringLiteral("pri"), QStringLiteral("PRI"), QStringLiteral("cafe"), QStringLiteral("CAFÉ"),
        QStringLiteral("resume"), QStringLiteral("하"), QStringLiteral("공부"), QStringLiteral("full"),
        QStringLiteral("invoice total"), QStringLiteral("web browser"), QStringLiteral("links"),
        QStringLiteral("files"), QStringLiteral("qu"), QStringLiteral("7"), QStringLiteral("19999"),
        QStringLiteral("zzq"), QStringLiteral("/"),
        // The end of a source's name and the byte that starts the next entry in the column.
        QStringLiteral("editor\u0002") };
}

QHash<QString, Found> plainScans(QList<ClipboardItem> items, const QStringList &terms, qint64 keep)
{
    // The predicate folds every text it is asked about; the tests ask about the same entries
    // again and again, so its answers are kept for entries whose searched fields are the same.
    struct Answer
    {
        size_t fields;
        bool accepted;
    };
    static QHash<QString, QHash<QUuid, Answer>> answers;
    std::sort(items.begin(), items.end(), &ClipboardItem::recentOrder);
    QHash<QString, Found> found;
    for (const QString &term : terms) {
        const ClipboardItem::Predicate predicate = *ClipboardItem::matching(term);
        QHash<QUuid, Answer> &known = answers[term];
        Found &scanned = found[term];
        for (const ClipboardItem &item : items) {
            const size_t fields = qHashMulti(0, item.content, item.sourceAppName, item.rawKind);
            auto answer = known.find(item.id);
            if (answer == known.end() || answer->fields != fields)
                answer = known.insert(item.id, { fields, predicate.accepts(item) });
            if (answer->accepted && ++scanned.count <= keep)
                scanned.ids << item.id;
        }
    }
    return found;
}

void compareEveryTerm(ClipboardDatabase &database, const QList<ClipboardItem> &items)
{
    QHash<qint64, QUuid> ids;
    QSqlQuery rows = database.sql().select(QStringLiteral("SELECT seq, id FROM clipboard_item")).value();
    while (rows.next())
        ids.insert(rows.value(0).toLongLong(), ClipboardDatabase::idFrom(rows.value(1)));
    QHash<QUuid, ClipboardItem> byId;
    for (const ClipboardItem &item : items)
        byId.insert(item.id, item);
    const QHash<QString, Found> scanned = plainScans(items, terms(), 501);
    for (const QString &term : terms()) {
        const auto &[expected, count] = scanned.value(term);
        const std::optional<ClipboardSearch::Scan> scan = database.search().scan(*ClipboardItem::matching(term), 501);
        QVERIFY2(scan, qPrintable(term));
        QCOMPARE(scan->count, count);
        QList<ClipboardItem> found;
        for (qint64 seq : scan->rows)
            found << byId.value(ids.value(seq));
        std::sort(found.begin(), found.end(), &ClipboardItem::recentOrder);
        QList<QUuid> newest;
        for (const ClipboardItem &item : found.first(std::min<qsizetype>(found.size(), 501)))
            newest << item.id;
        QCOMPARE(newest, expected);
    }
}

std::unique_ptr<ClipboardDatabase> OpenedFile::open(const QString &path)
{
    std::unique_ptr<ClipboardDatabase> database = std::move(ClipboardDatabase::open(path)).value();
    m_writer = std::move(StoreWriter::open(path, ClipboardDatabase::schema())).value();
    database->search().useWriter(m_writer);
    return database;
}

void OpenedFile::close()
{
    m_writer.reset();
}

} // namespace SearchHistory
