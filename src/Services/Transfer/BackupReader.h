#pragma once

#include "Models/Transfer/BackupError.h"
#include "Models/Transfer/EntryKey.h"
#include "Models/Transfer/VemraExport.h"
#include "Services/Transfer/BackupReading.h"
#include "Services/Transfer/BackupRules.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

class QThreadPool;

#include <functional>
#include <variant>

// Reads an export file back into its records, or says why it can't: a file that isn't an
// export, one from a newer format, or a damaged export, whose sentence names the place of the
// damage ("todos[3].title is missing."). The file is read in one streaming pass; only the
// records are kept, never a tree of the whole document. The entries' list is read in pieces
// across the cores where the file's lines allow it (see Splitting). Free of shared state:
// runs on any thread.
//
// Only a regular file is read, and opening it never waits. Short fields (names, identifiers,
// types) are cut to a sane length and counts are bounded, so that nothing read can grow
// without bound or overflow as it is used.
namespace BackupReader {

// Where the entries' list may be split: at the first line that starts with '{' after every
// `pieceBytes`, looked for within `searchBytes`. A file with fewer lines is read on one core.
struct Splitting
{
    qint64 pieceBytes = qint64(1) << 20;
    qint64 searchBytes = qint64(64) << 10;
    // Where the pieces are read: Qt's global pool when none is given.
    QThreadPool *pool = nullptr;
    // The ids whose entries' contents readKeys() need not hash, for the reading from the start
    // and the pieces alike.
    KnownId knownId;
};

// What tells one version of a file from another.
struct FileStamp
{
    qint64 size = -1;
    QDateTime modified;
    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};

// The largest file read: 4 GiB.
inline constexpr qint64 maximumFileSize = qint64(4) << 30;
using BackupRules::maximumCount;
using BackupRules::maximumShortField;

Outcome read(const QString &filePath, const Splitting &splitting = {});
Outcome read(const QByteArray &bytes, const Splitting &splitting = {});
// Reads the document with its entries' keys in place of the entries, which it never makes:
// their texts are not decoded, only hashed. `stamp`, when given, receives the file's size and
// time of change as it was opened.
Outcome readKeys(const QString &filePath, const KeySink &sink, FileStamp *stamp = nullptr,
    const Splitting &splitting = {}, const TodoSink &todos = {});
Outcome readKeys(
    const QByteArray &bytes, const KeySink &sink, const Splitting &splitting = {}, const TodoSink &todos = {});
// One entry read again from the bytes where readKeys() found it; nothing when they are not one
// whole entry that can be read.
std::optional<ExportedClipboardItem> readEntry(QByteArrayView bytes);

} // namespace BackupReader
