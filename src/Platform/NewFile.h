#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Puts a whole file under a name that nothing uses yet, without waiting for the disk. The file
// is written without a name and named once complete: a crash never leaves part of one under
// its name, and many are made at once in one folder, which is held only while each is named,
// not while the system finds room for it.
namespace NewFile {

// The system's reason when the file can't be made: the name is taken, the disk is full, …
std::optional<QString> write(const QString &path, const QByteArray &data);

} // namespace NewFile
