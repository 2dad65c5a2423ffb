#pragma once

#include <QString>

#include <functional>

class QIODevice;

// Reads the keys of a desktop entry file's main group ([Desktop Entry]), in file order, with
// keys and values trimmed; other groups, comments and lines without '=' are passed over. Values
// are given as written: escapes are not undone.
class DesktopEntryFile final
{
public:
    // Returns false to stop reading.
    using Visitor = std::function<bool(const QString &key, const QString &value)>;

    static void readMainGroup(QIODevice &device, const Visitor &visit);
    // The same for the group named `group` (without brackets), in files of the same form
    // (mimeapps.list).
    static void readGroup(QIODevice &device, const QString &group, const Visitor &visit);
};
