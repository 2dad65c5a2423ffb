#include "Services/Transfer/BackupReader.h"

#include "Platform/RegularFile.h"
#include "Services/Transfer/BackupDecoder.h"
#include "Services/Transfer/BackupReadAhead.h"
#include "Services/Transfer/BackupSource.h"

#include <QFile>

namespace {

BackupReader::Outcome parse(const BackupSource &source, BackupDecoder::Reading reading,
    const BackupReader::KeySink *keys, const BackupReader::Splitting &splitting, bool *failed = nullptr,
    const BackupReader::TodoSink *todos = nullptr)
{
    BackupReadAhead pieces(source, reading, splitting);
    return BackupDecoder::read(
        source, reading, keys, [&pieces](qint64 offset) { return pieces.take(offset); }, failed, &splitting.knownId,
        todos);
}

BackupReader::Outcome readFile(const QString &filePath, BackupDecoder::Reading reading,
    const BackupReader::KeySink *keys, BackupReader::FileStamp *stamp, const BackupReader::Splitting &splitting,
    const BackupReader::TodoSink *todos = nullptr)
{
    RegularFile::Opened opened = RegularFile::openForReading(filePath);
    if (!opened.file)
        return BackupError::unreadable(opened.error);
    QFile &file = *opened.file;
    if (stamp)
        *stamp = BackupReader::FileStamp { file.size(), file.fileTime(QFileDevice::FileModificationTime) };
    if (file.size() > BackupReader::maximumFileSize)
        return BackupError::tooLarge();
    const BackupSource source(file);
    bool failed = false;
    BackupReader::Outcome outcome = parse(source, reading, keys, splitting, &failed, todos);
    if (failed)
        return BackupError::unreadable(source.errorString());
    return outcome;
}

} // namespace

namespace BackupReader {

Outcome read(const QString &filePath, const Splitting &splitting)
{
    return readFile(filePath, BackupDecoder::Reading::Records, nullptr, nullptr, splitting);
}

Outcome readKeys(
    const QString &filePath, const KeySink &sink, FileStamp *stamp, const Splitting &splitting, const TodoSink &todos)
{
    return readFile(filePath, BackupDecoder::Reading::Keys, &sink, stamp, splitting, todos ? &todos : nullptr);
}

Outcome read(const QByteArray &bytes, const Splitting &splitting)
{
    if (bytes.size() > maximumFileSize)
        return BackupError::tooLarge();
    return parse(BackupSource(bytes), BackupDecoder::Reading::Records, nullptr, splitting);
}

Outcome readKeys(const QByteArray &bytes, const KeySink &sink, const Splitting &splitting, const TodoSink &todos)
{
    if (bytes.size() > maximumFileSize)
        return BackupError::tooLarge();
    return parse(
        BackupSource(bytes), BackupDecoder::Reading::Keys, &sink, splitting, nullptr, todos ? &todos : nullptr);
}

std::optional<ExportedClipboardItem> readEntry(QByteArrayView bytes)
{
    return BackupDecoder::readEntry(bytes);
}

} // namespace BackupReader
