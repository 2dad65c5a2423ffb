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

// The entry's text in the document; nothing when a side file of it can't be read, since the
// inline head is not the whole text.
std::optional<QByteArray> encode(const PendingExportItem &pending)
{
    ExportedClipboardItem item = pending.item;
    if (pending.textPath) {
        const std::optional<QByteArray> bytes = readWhole(*pending.textPath);
        if (!bytes)
            return std::nullopt;
        item.content = QString::fromUtf8(*bytes);
    }
    if (pending.imagePath) {
        std::optional<QByteArray> bytes = readWhole(*pending.imagePath);
        if (!bytes)
            return std::nullopt;
        item.imageData = std::move(*bytes);
    }
    return ExportEncoder::entry(item);
}

} // namespace

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
    top += ",\n  \"todos\" : ";
    top += ExportEncoder::todos(todos);
    top += ",\n  \"clipboard\" : [\n";
    return append(top);
}

Status BackupWriter::write(const PendingExportItem &entry)
{
    return write(QList<PendingExportItem> { entry });
}

Status BackupWriter::write(const QList<PendingExportItem> &entries)
{
    // Entries are read from their side files and encoded several at once, then written in
    // their order with one call.
    const QList<std::optional<QByteArray>> encoded = QtConcurrent::blockingMapped(&m_pool, entries, &encode);
    m_text.clear();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const std::optional<QByteArray> &text = encoded.at(i);
        if (!text) {
            const ExportedClipboardItem &item = entries.at(i).item;
            m_skipped.append(Skipped { item.id, item.lastCopiedAt.value_or(item.createdAt) });
            continue;
        }
        if (m_entryCount != 0)
            m_text += ",\n";
        m_text += *text;
        ++m_entryCount;
    }
    return append(m_text);
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
