#pragma once

#include "Models/Common/Result.h"
#include "Models/Transfer/ExportEncoder.h"
#include "Models/Transfer/PendingExportItem.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

class PrivateFileWriter;

// Writes one export document, entry by entry, so that memory holds one entry at a time. The
// text goes to a new private file (0600) beside the destination, which replaces the
// destination only once the document is complete: a failed or crashed export leaves whatever
// was there untouched and no file of its own behind.
//
// An entry whose image or whole text can't be read is left out and remembered, so that the
// user can be asked whether to keep the file without it.
//
// Used by one thread at a time: the steps may run on different threads, one after another.
class BackupWriter final
{
public:
    // An entry left out because a side file of it can't be read.
    struct Skipped
    {
        QUuid id;
        QDateTime lastCopiedAt;
    };
    // A run of entries as the document has them, one after another, and those left out.
    struct Piece
    {
        QByteArray text;
        qint64 entries = 0;
        QList<Skipped> skipped;
    };

    // Reads the entries' side files and encodes them in their order. Runs on any thread.
    static Piece encode(const QList<PendingExportItem> &entries);
    // Adds `entry` to `piece`, its whole text and its image read from the side files named
    // (an empty path fails), or notes it left out when one can't be read. Runs on any thread.
    static void add(Piece &piece, ExportEncoder::Entry entry, const std::optional<QString> &imagePath,
        const std::optional<QString> &textPath);

    explicit BackupWriter(QString destination);
    ~BackupWriter();
    BackupWriter(const BackupWriter &) = delete;
    BackupWriter &operator=(const BackupWriter &) = delete;

    // Opens the new file and writes the top of the document and the whole todo list, encoded
    // beforehand in runs as ExportEncoder::todoRun makes them.
    Status begin(const QList<QByteArray> &todoRuns, const QDateTime &exportedAt);
    // Writes entries in their order, with their image bytes and whole texts read from their
    // side files.
    Status write(const QList<PendingExportItem> &entries);
    // Writes a run of entries encoded beforehand, after those written.
    Status write(const Piece &piece);
    // Writes the end of the document and puts the file in place.
    Status finish();
    // Drops the new file; the destination stays as it was.
    void cancel();

    qint64 entryCount() const { return m_entryCount; }
    const QList<Skipped> &skipped() const { return m_skipped; }

private:
    Status append(const QByteArray &bytes);
    Error writeError() const;

    QString m_destination;
    std::unique_ptr<PrivateFileWriter> m_file;
    qint64 m_entryCount = 0;
    QList<Skipped> m_skipped;
};
