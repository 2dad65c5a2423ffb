#pragma once

#include "Models/Clipboard/ClipboardItem.h"
#include "Services/Clipboard/ClipboardDatabase.h"
#include "Services/Clipboard/ClipboardStore.h"

#include <QHash>
#include <QList>
#include <QStringList>
#include <QUuid>

#include <memory>

class StoreWriter;

// What the search's tests share: a large history, the terms they look for, what a plain scan
// of the entries finds for each, and the store's file opened as the store opens it.
namespace SearchHistory {

// A history large enough to be scanned in spans on several connections: words with accents,
// capitals, Hangul and digits, links and files, a few long texts, several sources, and runs of
// entries copied at the same moment.
QList<ClipboardItem> history(int size);

// The clipboard store's folder and file in the test's home.
QString folder();
QString filePath();

// A store of `items` written as one save would write them.
std::unique_ptr<ClipboardStore> storeOf(const QList<ClipboardItem> &items);

QStringList terms();

// What going through every entry of `items` with the search's own predicate for a term
// finds: the ids of the newest `keep`, in the history's order, and how many match; for each
// of `terms`.
struct Found
{
    QList<QUuid> ids;
    qint64 count = 0;
};
QHash<QString, Found> plainScans(QList<ClipboardItem> items, const QStringList &terms, qint64 keep);

// What a scan of `database` finds for every term, against the plain scan of `items`: the
// count and the newest 501 in the history's order.
void compareEveryTerm(ClipboardDatabase &database, const QList<ClipboardItem> &items);

// The file opened as the store opens it, with its one writer, which pairs a column made with
// the file; the writer stays until the next opening or close().
class OpenedFile
{
public:
    std::unique_ptr<ClipboardDatabase> open(const QString &path);
    void close();

private:
    std::shared_ptr<StoreWriter> m_writer;
};

} // namespace SearchHistory
