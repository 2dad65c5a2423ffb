#include "Services/Transfer/BackupWriter.h"

#include "Models/Transfer/ExportEncoder.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace {

Error unreadable(const QString &path, const QFile &file)
{
    return Error { QStringLiteral("The file “%1” couldn’t be read.").arg(QDir::toNativeSeparators(path)),
        file.errorString() };
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
    m_file = std::make_unique<QSaveFile>(m_destination);
    if (!m_file->open(QIODevice::WriteOnly)) {
        const Error error {
            QStringLiteral("The file “%1” couldn’t be saved.").arg(QDir::toNativeSeparators(m_destination)),
            m_file->errorString()
        };
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

Status BackupWriter::write(const QList<PendingExportItem> &entries)
{
    for (const PendingExportItem &pending : entries) {
        ExportedClipboardItem item = pending.item;
        if (pending.textPath) {
            // The inline head is not the text: an entry without its whole text fails the export.
            QFile file(*pending.textPath);
            if (!file.open(QIODevice::ReadOnly))
                return unreadable(*pending.textPath, file);
            QByteArray bytes = file.readAll();
            if (file.error() != QFileDevice::NoError)
                return unreadable(*pending.textPath, file);
            item.content = QString::fromUtf8(bytes);
        }
        if (pending.imagePath) {
            QFile file(*pending.imagePath);
            if (!file.open(QIODevice::ReadOnly))
                return unreadable(*pending.imagePath, file);
            item.imageData = file.readAll();
            if (file.error() != QFileDevice::NoError)
                return unreadable(*pending.imagePath, file);
        }
        QByteArray text = m_entryCount == 0 ? QByteArray() : QByteArray(",\n");
        text += ExportEncoder::entry(item);
        if (Status status = append(text); !status)
            return status;
        ++m_entryCount;
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
    if (!m_file)
        return writeError();
    if (m_file->write(bytes) != bytes.size())
        return writeError();
    return {};
}

Error BackupWriter::writeError() const
{
    return Error { QStringLiteral("The file “%1” couldn’t be saved.").arg(QDir::toNativeSeparators(m_destination)),
        m_file ? m_file->errorString() : QString() };
}
