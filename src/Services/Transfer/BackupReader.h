#pragma once

#include "Models/Transfer/BackupError.h"
#include "Models/Transfer/VemraExport.h"

#include <QByteArray>
#include <QString>

#include <variant>

// Reads an export file back into its records, or says why it can't: a file that isn't an
// export, one from a newer format, or a damaged export, whose sentence names the place of the
// damage ("todos[3].title is missing."). The file is read in one streaming pass; only the
// records are kept, never a tree of the whole document. Free of shared state: runs on any
// thread.
namespace BackupReader {

using Outcome = std::variant<VemraExport, BackupError>;

// The largest file read: 4 GiB.
inline constexpr qint64 maximumFileSize = qint64(4) << 30;
// Containers nested deeper than this make a file that is no export.
inline constexpr int maximumDepth = 512;

Outcome read(const QString &filePath);
Outcome read(const QByteArray &bytes);

} // namespace BackupReader
