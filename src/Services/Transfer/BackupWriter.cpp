#include "Services/Transfer/BackupWriter.h"

#include "Models/Transfer/ExportEncoder.h"
#include "Platform/Logging.h"
#include "Platform/PrivateFileWriter.h"

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

BackupWriter::BackupWriter(QString destination)
    : m_destination(std::move(destination))
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

Status BackupWriter::write(const PendingExportItem &pending)
{
    ExportedClipboardItem item = pending.item;
    if (pending.textPath) {
        // The inline head is not the text: an entry without its whole text is left out.
        const std::optional<QByteArray> bytes = readWhole(*pending.textPath);
        if (!bytes) {
            m_skipped.append(Skipped { pending.title, item.lastCopiedAt.value_or(item.createdAt) });
            return {};
        }
        item.content = QString::fromUtf8(*bytes);
    }
    if (pending.imagePath) {
        std::optional<QByteArray> bytes = readWhole(*pending.imagePath);
        if (!bytes) {
            m_skipped.append(Skipped { pending.title, item.lastCopiedAt.value_or(item.createdAt) });
            return {};
        }
        item.imageData = std::move(*bytes);
    }
    m_text.clear();
    if (m_entryCount != 0)
        m_text += ",\n";
    ExportEncoder::appendEntry(m_text, item);
    if (Status status = append(m_text); !status)
        return status;
    ++m_entryCount;
    return {};
}

Status BackupWriter::write(const QList<PendingExportItem> &entries)
{
    for (const PendingExportItem &pending : entries) {
        if (Status status = write(pending); !status)
            return status;
    }
    return {};
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
