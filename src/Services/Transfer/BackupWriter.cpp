#include "Services/Transfer/BackupWriter.h"

#include "Models/Transfer/ExportEncoder.h"
#include "Platform/Logging.h"
#include "Platform/PrivateFileWriter.h"
#include "Services/Storage/StoreErrorText.h"

#include <QDir>
#include <QFile>

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

} // namespace

BackupWriter::Piece BackupWriter::encode(const QList<PendingExportItem> &entries)
{
    Piece piece;
    for (const PendingExportItem &pending : entries) {
        const ExportEncoder::EntryBytes bytes(pending.item);
        add(piece, bytes.entry(), pending.imagePath, pending.textPath);
    }
    return piece;
}

void BackupWriter::add(Piece &piece, ExportEncoder::Entry entry, const std::optional<QString> &imagePath,
    const std::optional<QString> &textPath)
{
    // An entry whose side file can't be read is left out, since its inline head is not the
    // whole text.
    const std::optional<QByteArray> text = textPath ? readWhole(*textPath) : QByteArray();
    const std::optional<QByteArray> image = imagePath ? readWhole(*imagePath) : QByteArray();
    if (!text || !image) {
        piece.skipped.append(Skipped {
            entry.id, QDateTime::fromMSecsSinceEpoch(entry.lastCopiedAt.value_or(entry.createdAt), Qt::UTC) });
        return;
    }
    if (textPath)
        entry.content = *text;
    if (imagePath)
        entry.imageData = QByteArrayView(*image);
    if (piece.entries++ != 0)
        piece.text += ",\n";
    ExportEncoder::appendEntry(piece.text, entry);
}

BackupWriter::BackupWriter(QString destination)
    : m_destination(std::move(destination))
{
}

BackupWriter::~BackupWriter()
{
    cancel();
}

Status BackupWriter::begin(const QList<QByteArray> &todoRuns, const QDateTime &exportedAt)
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
    top += todoRuns.join(",\n");
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
        return Error { message, StoreErrorText::diskFull() };
    return Error { message, m_file ? m_file->errorString() : QString() };
}
