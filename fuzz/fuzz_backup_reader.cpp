// The export reader's decoding, on one thread, on any bytes: it never crashes, leaks or
// overflows, fails only with one of its own errors, reads each entry again on its own (as a
// piece of the list is read) where it said the entry lies, and whatever it reads, written again
// and read back, gives the same records. No pieces are read on other threads here: starting
// threads for every input made the fuzzer sixty times slower, and the unit tests check that a
// split reading reads the same.
#include "Models/Transfer/ExportEncoder.h"
#include "Services/Transfer/BackupDecoder.h"
#include "Services/Transfer/BackupSource.h"

#include <QLoggingCategory>

#include <cstdlib>

namespace {

QByteArray written(const VemraExport &document)
{
    QByteArray text("{\n  \"app\" : \"Vemra\",\n  \"version\" : 1,\n  \"exportedAt\" : ");
    text += ExportEncoder::date(document.exportedAt) + ",\n  \"todos\" : " + ExportEncoder::todos(document.todos)
        + ",\n  \"clipboard\" : [\n";
    for (qsizetype i = 0; i < document.clipboard.size(); ++i)
        text += (i == 0 ? QByteArray() : QByteArray(",\n")) + ExportEncoder::entry(document.clipboard.at(i));
    return text + "\n  ]\n}\n";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool quiet = [] {
        QLoggingCategory::setFilterRules(QStringLiteral("vemra.*=false"));
        return true;
    }();
    (void)quiet;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const BackupReader::Outcome outcome
        = BackupDecoder::read(BackupSource(bytes), BackupDecoder::Reading::Records, nullptr);
    if (const auto *error = std::get_if<BackupError>(&outcome)) {
        if (error->kind() == BackupError::Kind::Unreadable || error->description().isEmpty())
            std::abort();
        return 0;
    }
    VemraExport document = std::get<VemraExport>(outcome);
    // Where the plan finds each entry, the entry is read again.
    qsizetype found = 0;
    const BackupReader::KeySink sink = [&](const EntryKey &key) {
        const std::optional<ExportedClipboardItem> again
            = BackupDecoder::readEntry(QByteArrayView(bytes).sliced(key.place.offset, key.place.length));
        if (key.place.index != found || found >= document.clipboard.size() || !again
            || !(*again == document.clipboard.at(found)))
            std::abort();
        ++found;
        return true;
    };
    const BackupReader::Outcome keys = BackupDecoder::read(BackupSource(bytes), BackupDecoder::Reading::Keys, &sink);
    if (!std::holds_alternative<VemraExport>(keys) || found != document.clipboard.size())
        std::abort();
    document.app = QStringLiteral("Vemra");
    const BackupReader::Outcome again
        = BackupDecoder::read(BackupSource(written(document)), BackupDecoder::Reading::Records, nullptr);
    const auto *reread = std::get_if<VemraExport>(&again);
    if (!reread)
        std::abort();
    // Dates are written in whole seconds.
    VemraExport expected = document;
    const auto seconds
        = [](QDateTime &time) { time = time.addMSecs(-(time.toMSecsSinceEpoch() % 1000 + 1000) % 1000); };
    seconds(expected.exportedAt);
    for (ExportedTodo &todo : expected.todos) {
        seconds(todo.createdAt);
        if (todo.updatedAt)
            seconds(*todo.updatedAt);
        if (todo.completedAt)
            seconds(*todo.completedAt);
    }
    for (ExportedClipboardItem &item : expected.clipboard) {
        seconds(item.createdAt);
        if (item.lastCopiedAt)
            seconds(*item.lastCopiedAt);
    }
    if (!(*reread == expected))
        std::abort();
    return 0;
}
