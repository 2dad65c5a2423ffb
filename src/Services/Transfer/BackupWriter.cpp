#include "Services/Transfer/BackupWriter.h"

#include "Models/Transfer/ExportEncoder.h"
#include "Platform/Logging.h"
#include "Platform/PrivateFileWriter.h"

#include <QDir>
#include <QFile>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>

namespace {

std::optional<QByteArray> readWhole(const QString &path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        qCWarning(lcTransfer) << "cannot read the side file" << path << file.errorString();
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        qCWarning(lcTransfer) << "cannot read the side file" << path << file.errorString();
        return std::nullopt;
    }
    return bytes;
}

// Todos encoded at a time: pieces large enough that handing them out costs little.
constexpr qsizetype todoPiece = 1024;

} // namespace

BackupWriter::Piece BackupWriter::encode(const QList<PendingExportItem> &entries)
{
    Piece piece;
    for (const PendingExportItem &pending : entries) {
        // An entry whose side file can't be read is left out, since its inline head is not
        // the whole text.
        ExportedClipboardItem item = pending.item;
        std::optional<QByteArray> text = pending.textPath ? readWhole(*pending.textPath) : QByteArray();
        std::optional<QByteArray> image = pending.imagePath ? readWhole(*pending.imagePath) : QByteArray();
        if (!text || !image) {
            piece.skipped.append(Skipped { item.id, item.lastCopiedAt.value_or(item.createdAt) });
            continue;
        }
        if (pending.textPath)
            item.content = QString::fromUtf8(*text);
        if (pending.imagePath)
            item.imageData = std::move(*image);
        if (piece.entries++ != 0)
            piece.text += ",\n";
        ExportEncoder::appendEntry(piece.text, item);
    }
    return piece;
}

BackupWriter::BackupWriter(QString destination, QThreadPool *pool)
    : m_destination(std::move(destination))
    , m_pool(pool ? *pool : *QThreadPool::globalInstance())
{
}

BackupWriter::~BackupWriter()
{
    cancel();
}

Status BackupWriter::begin(const QList<ExportedTodo> &todos, const QDateTime &exportedAt)
{
    m_file = std::make_unique<PrivateFileWriter>(m_destination);
    if (!m_file->open()) {
        const Error error = writeError();
        m_file.reset();
        return error;
    }
    QByteArray top("{\n  \"app\" : \"Vemra\",\n  \"version\" : 1,\n  \"exportedAt\" : ");
    top += ExportEncoder::date(exportedAt);
    top += ",\n  \"todos\" : [\n";
    QList<qsizetype> pieces;
    for (qsizetype from = 0; from < todos.size(); from += todoPiece)
        pieces.append(from);
    const QList<QByteArray> runs = QtConcurrent::blockingMapped(&m_pool, pieces, [&todos](qsizetype from) {
        return ExportEncoder::todoRun(todos, from, std::min(todoPiece, todos.size() - from));
    });
    top += runs.join(",\n");
    top += "\n],\n  \"clipboard\" : [\n";
    return append(top);
}

Status BackupWriter::write(const QList<PendingExportItem> &entries)
{
    return write(encode(entries));
}

Status BackupWriter::write(const Piece &piece)
{
    m_skipped += piece.skipped;
    if (piece.entries == 0)
        return {};
    if (m_entryCount != 0) {
        if (Status status = append(",\n"); !status)
            return status;
    }
    m_entryCount += piece.entries;
    return append(piece.text);
}

Status BackupWriter::finish()
{
    if (Status status = append("\n  ]\n}\n"); !status)
        return status;
    if (!m_file->commit()) {
        const Error error = writeError();
        m_file.reset();
        return error;
    }
    m_file.reset();
    return {};
}

void BackupWriter::cancel()
{
    // An uncommitted file is discarded with its object.
    m_file.reset();
}

Status BackupWriter::append(const QByteArray &bytes)
{
    if (!m_file || !m_file->write(bytes))
        return writeError();
    return {};
}

Error BackupWriter::writeError() const
{
    const QString message
        = QStringLiteral("The file “%1” couldn’t be saved.").arg(QDir::toNativeSeparators(m_destination));
    if (m_file && m_file->diskFull())
        return Error { message, QStringLiteral("The disk is full.") };
    return Error { message, m_file ? m_file->errorString() : QString() };
}
