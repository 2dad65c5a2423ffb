#pragma once

#include "Models/Common/Result.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

// The clipboard store's side files: hashing, stored images with their thumbnails, long texts,
// and removal. Paths are relative to the store folder and use "/". Free of shared state; used
// off the main thread by the capture and on it by the store and import.
namespace ClipboardFiles {

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
// straight into a name that nothing uses yet (an import's entries, thousands at a time), synced
// in place. A crash can leave a partial file of the second kind, which no stored entry names
// and the start-up sweep removes.
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

// Deletes the side files; any that cannot be deleted (or are gone) are skipped. Paths that
// are absolute or leave the folder are never touched.
void remove(const QStringList &paths, const QString &folder);

// Decodes an image file at most `maxPixels` on its longer side (at least 1), with its
// orientation applied; a null image when the file is missing or no image.
QImage thumbnail(const QString &filePath, int maxPixels);

} // namespace ClipboardFiles
