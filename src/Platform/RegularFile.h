#pragma once

#include <QFile>
#include <QString>

#include <memory>

// Opens a file for reading only when it is a regular file: a named pipe, a device or a socket
// is refused before anything waits on it, and the open itself never blocks (a file swapped
// for a pipe between the check and the open is refused too).
namespace RegularFile {

struct Opened
{
    // Open for reading; null when refused.
    std::unique_ptr<QFile> file;
    // Why it was refused, in the system's words or ours.
    QString error;
};

Opened openForReading(const QString &path);

} // namespace RegularFile
