#pragma once

#include "Models/Common/Result.h"
#include "Platform/PrivateLockFile.h"

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <initializer_list>
#include <optional>

// The clipboard store's side files: hashing, stored images with their thumbnails, long texts,
// where a stored path leads, removal, the sweep of strays, and the temporary folder of a history
// in memory. Paths are relative to the store folder and use "/". Free of shared state; used off
// the main thread by the capture and the store's workers, and on it by the store and import.
namespace ClipboardFiles {

// The folders inside the store folder that side files live in; a stored path names a file
// directly inside one.
const QStringList &folders();
// Makes the side-file folders inside `folder`, private to the user; one that can't be made is
// left to the write that needs it to report.
void ensureFolders(const QString &folder);
// The absolute path of a side file named by a stored path: directly inside one of the
// side-file folders, never through a symbolic link, so that no stored path can reach the
// database or anything outside. Absent for any other path.
std::optional<QString> filePath(const QString &relativePath, const QString &folder);
// The whole of the side file a stored path names; absent when it names none or can't be read.
std::optional<QByteArray> read(const QString &relativePath, const QString &folder);

// A text whose entry keeps at most this many characters inline; the whole goes to a side file.
inline constexpr qsizetype inlineTextLimit = 20000;
// The longer side of a thumbnail, in pixels.
inline constexpr int thumbnailSize = 320;

struct SavedImage
{
    QString path; // "Images/<ID>.<ext>"
    std::optional<QString> thumbnailPath; // "Thumbnails/<ID>.png", absent when none could be made
    QString hash; // of the stored bytes
    QString type; // type identifier of the stored bytes ("public.png", …)
    qint64 byteCount = 0;
    qint64 width = 0; // as displayed (rotated orientations swapped)
    qint64 height = 0;
};

struct SavedText
{
    QString content; // the whole text, or its first 20000 characters
    std::optional<QString> path; // "Text/<ID>.txt" when the whole text went to a side file
};

// Lower-case hexadecimal SHA-256 of the text's UTF-8 bytes, or of the bytes.
QString sha256(const QString &text);
QString sha256(const QByteArray &data);

// The id as side files are named: 36 upper-case characters.
QString fileName(const QUuid &id);

// How a side file is written: through a temporary file that replaces it once complete, or
// under a name that nothing uses yet (an import's entries, thousands at a time, see NewFile),
// which the caller brings to the disk (FileSystemSync::syncFileSystem) before any entry names
// it. A crash can leave a file of the second kind that no stored entry names, which the
// start-up sweep removes.
enum class FileWrite { Replacing, NewName };

// Stores an image: PNG, JPEG, HEIC and GIF byte for byte, anything else re-encoded as PNG,
// plus a PNG thumbnail of at most 320 pixels with the orientation applied. Nothing when the
// bytes are no image this system can read; an error when the image file cannot be written.
Result<std::optional<SavedImage>> saveImage(
    const QByteArray &data, const QUuid &id, const QString &folder, FileWrite writing = FileWrite::Replacing);

// Keeps a text of at most 20000 characters (grapheme clusters) inline; writes a longer one
// whole to "Text/<ID>.txt" and keeps its head. An error when that file cannot be written.
Result<SavedText> saveText(
    const QString &text, const QUuid &id, const QString &folder, FileWrite writing = FileWrite::Replacing);

// Deletes the side files; any that cannot be deleted (or are gone) are skipped. A path that
// names no side file (see filePath) is never touched.
void remove(const QStringList &paths, const QString &folder);

// Moves side files from one store folder into the same place in another; one that can't be
// moved stays where it is. A path that names no side file is never touched.
void move(const QStringList &paths, const QString &from, const QString &to);

// Stored paths of side files, kept as 64-bit digests of their text: the paths of a million
// entries would take megabytes. A stray whose digest a stored path shares, a chance too small to
// matter, is only kept.
class StoredPaths final
{
public:
    StoredPaths() = default;
    StoredPaths(std::initializer_list<QStringView> paths);
    void insert(QStringView path);
    bool contains(QStringView path) const;

private:
    static quint64 digest(QStringView path);

    QSet<quint64> m_digests;
};

// Deletes the files in the side-file folders that `named` does not name and that were last
// changed before `before`: a capture under way writes its files before its entry exists. A
// side-file folder that is a symbolic link is not looked into.
void removeStrays(const QString &folder, const StoredPaths &named, const QDateTime &before);

// A new private folder "Vemra-Clipboard-<UUID>" in the system's temporary folder, for the side
// files of a history kept in memory. Marked in use, by a lock file beside it, from before it
// exists until it is removed with this object.
class TemporaryFolder final
{
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder &) = delete;
    TemporaryFolder &operator=(const TemporaryFolder &) = delete;

    QString path() const { return m_path; }

private:
    QString m_path;
    PrivateLockFile m_inUse;
};

// Removes the temporary folders that a crash left behind: private to this user and no longer
// marked in use by a running store.
void removeLeftTemporaryFolders();

// Decodes an image file at most `maxPixels` on its longer side (at least 1), with its
// orientation applied; a null image when the file is missing or no image.
QImage thumbnail(const QString &filePath, int maxPixels);

} // namespace ClipboardFiles
