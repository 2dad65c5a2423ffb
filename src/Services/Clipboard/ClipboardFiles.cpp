#include "Services/Clipboard/ClipboardFiles.h"

#include "Platform/DataPaths.h"
#include "Platform/Logging.h"
#include "Platform/NewFile.h"
#include "Platform/TypeIdentifiers.h"
#include "Services/Clipboard/PngThumbnail.h"
#include "Services/Storage/StoreErrorText.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <QTextBoundaryFinder>
#include <QThreadPool>
#include <QTransform>
#include <QtConcurrent/QtConcurrentRun>

#include <libheif/heif.h>
#include <xxhash.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace {

// The container type of image bytes, by their signature; empty when it is none of the kept four.
QString keptType(const QByteArray &data)
{
    if (data.startsWith("\x89PNG\r\n\x1a\n"))
        return TypeIdentifiers::png();
    if (data.startsWith("\xff\xd8\xff"))
        return TypeIdentifiers::jpeg();
    if (data.startsWith("GIF87a") || data.startsWith("GIF89a"))
        return TypeIdentifiers::gif();
    // ISO base media: a box "ftyp" whose major brand, or a compatible one, is a HEIC brand.
    if (data.size() >= 16 && data.mid(4, 4) == "ftyp") {
        const quint32 boxSize = (quint32(uchar(data[0])) << 24) | (quint32(uchar(data[1])) << 16)
            | (quint32(uchar(data[2])) << 8) | quint32(uchar(data[3]));
        const auto isHeicBrand = [](const QByteArray &brand) {
            return brand == "heic" || brand == "heix" || brand == "hevc" || brand == "hevx" || brand == "heim"
                || brand == "heis";
        };
        if (isHeicBrand(data.mid(8, 4)))
            return TypeIdentifiers::heic();
        const qsizetype end = qMin<qsizetype>(boxSize, data.size());
        for (qsizetype at = 16; at + 4 <= end; at += 4) {
            if (isHeicBrand(data.mid(at, 4)))
                return TypeIdentifiers::heic();
        }
    }
    return {};
}

// The size to decode at so that the longer side is at most `maxPixels`; never larger than the
// image itself.
QSize boundedSize(QSize size, int maxPixels)
{
    if (size.width() <= maxPixels && size.height() <= maxPixels)
        return size;
    return size.scaled(maxPixels, maxPixels, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

struct HeifContextDeleter
{
    void operator()(heif_context *c) const { heif_context_free(c); }
};
struct HeifHandleDeleter
{
    void operator()(heif_image_handle *h) const { heif_image_handle_release(h); }
};
struct HeifImageDeleter
{
    void operator()(heif_image *i) const { heif_image_release(i); }
};

struct Heif
{
    std::unique_ptr<heif_context, HeifContextDeleter> context;
    std::unique_ptr<heif_image_handle, HeifHandleDeleter> handle;
};

// The primary image of HEIF bytes; `data` must outlive the result.
std::optional<Heif> openHeif(const QByteArray &data)
{
    Heif heif;
    heif.context.reset(heif_context_alloc());
    if (!heif.context)
        return std::nullopt;
    if (heif_context_read_from_memory_without_copy(heif.context.get(), data.constData(), size_t(data.size()), nullptr)
            .code
        != heif_error_Ok)
        return std::nullopt;
    heif_image_handle *handle = nullptr;
    if (heif_context_get_primary_image_handle(heif.context.get(), &handle).code != heif_error_Ok || !handle)
        return std::nullopt;
    heif.handle.reset(handle);
    return heif;
}

// Whether a picture of this size may be decoded: within the allocation limit Qt's image reader
// holds every other format to. A HEIC file of a few kilobytes can declare tens of thousands of
// pixels a side, and its decoder would allocate them all.
bool fitsAllocationLimit(qint64 width, qint64 height)
{
    if (width <= 0 || height <= 0)
        return false;
    const int megabytes = QImageReader::allocationLimit();
    if (megabytes <= 0)
        return true;
    const qint64 pixels = qint64(megabytes) * 1024 * 1024 / 4; // 8-bit RGBA
    return width <= pixels / height;
}

// Decodes the primary image with its rotation and mirroring applied; nothing for a picture
// whose declared size is beyond the allocation limit.
QImage decodeHeif(const Heif &heif)
{
    const int declaredWidth = heif_image_handle_get_width(heif.handle.get());
    const int declaredHeight = heif_image_handle_get_height(heif.handle.get());
    if (!fitsAllocationLimit(declaredWidth, declaredHeight)) {
        qCInfo(lcClipboard) << "not decoding a HEIC picture of" << declaredWidth << "x" << declaredHeight
                            << "pixels: beyond the allocation limit of" << QImageReader::allocationLimit() << "MB";
        return {};
    }
    heif_image *raw = nullptr;
    if (heif_decode_image(heif.handle.get(), &raw, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, nullptr).code
            != heif_error_Ok
        || !raw)
        return {};
    const std::unique_ptr<heif_image, HeifImageDeleter> image(raw);
    int stride = 0;
    const uint8_t *pixels = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    if (!pixels || width <= 0 || height <= 0)
        return {};
    return QImage(pixels, width, height, stride, QImage::Format_RGBA8888).copy();
}

// A picture's thumbnail is decoded here while its bytes are hashed and written: threads of
// their own, as the capture's and the import's pools wait on it, and it waits on nothing.
Q_GLOBAL_STATIC(QThreadPool, thumbnailDecoding)

// An image with a file's orientation applied, as Qt's reader applies it.
QImage oriented(QImage image, QImageIOHandler::Transformations transformation)
{
    image = std::move(image).mirrored(transformation.testFlag(QImageIOHandler::TransformationMirror),
        transformation.testFlag(QImageIOHandler::TransformationFlip));
    if (transformation.testFlag(QImageIOHandler::TransformationRotate90))
        image = image.transformed(QTransform().rotate(90));
    return image;
}

// The thumbnail of image bytes that Qt reads, decoded at `size` and oriented by
// `transformation`, the file's own; a null image when the decoder refuses (a picture beyond its
// allocation limit).
QImage decodedThumbnail(QByteArray data, QSize size, QSize full, QImageIOHandler::Transformations transformation)
{
    if (keptType(data) == TypeIdentifiers::png() && fitsAllocationLimit(full.width(), full.height())) {
        if (QImage thumbnail = PngThumbnail::decode(data, size); !thumbnail.isNull())
            return oriented(std::move(thumbnail), transformation);
    }
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    reader.setScaledSize(size);
    return reader.read();
}

QByteArray pngData(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (image.isNull() || !writer.write(image))
        return {};
    return bytes;
}

// A side file that could not be written. A full disk is told as every full disk is: where the
// file was to go, and the system's words for it, mean nothing to the user.
Error writeFailed(const QString &target, const QString &reason, bool diskFull)
{
    if (diskFull)
        return Error { StoreErrorText::diskFull(), QString(), Error::Kind::DiskFull };
    return Error { QStringLiteral("Couldn’t write the file “%1”.").arg(QDir::toNativeSeparators(target)), reason };
}

Status write(const QByteArray &data, const QString &path, const QString &folder,
    ClipboardFiles::FileWrite writing = ClipboardFiles::FileWrite::Replacing)
{
    const QString target = folder + QLatin1Char('/') + path;
    const QString parent = QFileInfo(target).absolutePath();
    if (!QDir().mkpath(parent))
        return Error { QStringLiteral("Couldn’t create the folder “%1”.").arg(QDir::toNativeSeparators(parent)),
            QString() };
    if (writing == ClipboardFiles::FileWrite::NewName) {
        if (const std::optional<int> failure = NewFile::write(target, data))
            return writeFailed(
                target, QString::fromLocal8Bit(std::strerror(*failure)), *failure == ENOSPC || *failure == EDQUOT);
        return {};
    }
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        const QString reason = file.errorString();
        // Qt's name for a write that found no room.
        const bool full = file.error() == QFileDevice::ResourceError;
        file.cancelWriting();
        return writeFailed(target, reason, full);
    }
    return {};
}

// Names the side file at `path` a second time, as `second`; false when it can't, which is
// logged.
bool secondName(const QString &path, const QString &second, const QString &folder)
{
    const QString target = folder + QLatin1Char('/') + second;
    if (!QDir().mkpath(QFileInfo(target).absolutePath()))
        return false;
    if (const std::optional<QString> failure = NewFile::secondName(folder + QLatin1Char('/') + path, target)) {
        qCWarning(lcStore) << "cannot name a side file twice:" << *failure;
        return false;
    }
    return true;
}

QString temporaryPrefix()
{
    return QStringLiteral("Vemra-Clipboard-");
}

// Beside a temporary folder, marks it as in use for as long as its store lives; outside it, so
// that the folder is gone before the mark is.
QString lockPath(const QString &folder)
{
    return folder + QStringLiteral(".lock");
}

} // namespace

namespace ClipboardFiles {

const QStringList &folders()
{
    static const QStringList names { QStringLiteral("Images"), QStringLiteral("Thumbnails"), QStringLiteral("Text") };
    return names;
}

void ensureFolders(const QString &folder)
{
    for (const QString &sub : folders())
        DataPaths::ensureFolder(folder + QLatin1Char('/') + sub);
}

std::optional<QString> filePath(const QString &relativePath, const QString &folder)
{
    const QStringList parts = relativePath.split(QLatin1Char('/'));
    if (parts.size() != 2 || !folders().contains(parts[0]))
        return std::nullopt;
    const QString &name = parts[1];
    if (name.isEmpty() || name == QStringLiteral(".") || name == QStringLiteral("..")
        || name.contains(QLatin1Char('\\')) || name.contains(QChar(0)))
        return std::nullopt;
    const QString path = folder + QLatin1Char('/') + relativePath;
    if (QFileInfo(folder + QLatin1Char('/') + parts[0]).isSymLink() || QFileInfo(path).isSymLink())
        return std::nullopt;
    return path;
}

std::optional<QByteArray> read(const QString &relativePath, const QString &folder)
{
    const std::optional<QString> path = filePath(relativePath, folder);
    if (!path)
        return std::nullopt;
    QFile file(*path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

QString sha256(const QString &text)
{
    return sha256(text.toUtf8());
}

QString sha256(const QByteArray &data)
{
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

QString fileName(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

Result<std::optional<SavedImage>> saveImage(
    const QByteArray &data, const QUuid &id, const QString &folder, FileWrite writing)
{
    const QString detected = keptType(data);
    QString type = detected;
    QByteArray stored = data;
    qint64 width = 0, height = 0;
    QImage thumbnail;
    QFuture<QImage> decoding;
    bool ownThumbnail = false;

    if (detected == TypeIdentifiers::heic()) {
        const std::optional<Heif> heif = openHeif(data);
        if (!heif)
            return std::optional<SavedImage>();
        // libheif gives the size with the image's rotation applied, as displayed.
        width = heif_image_handle_get_width(heif->handle.get());
        height = heif_image_handle_get_height(heif->handle.get());
        const QImage full = decodeHeif(*heif);
        if (!full.isNull())
            thumbnail
                = full.scaled(boundedSize(full.size(), thumbnailSize), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    } else {
        QBuffer buffer(&stored);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        reader.setAutoTransform(false);
        const QSize size = reader.size();
        if (!reader.canRead() || !size.isValid())
            return std::optional<SavedImage>();
        width = size.width();
        height = size.height();
        if (reader.transformation() & QImageIOHandler::TransformationRotate90)
            std::swap(width, height);
        // A PNG no larger than a thumbnail and shown as stored is its own thumbnail: an
        // import, which makes thousands at once, names it twice instead of making a second
        // file of the same picture (each new file costs the file system far more than a name).
        ownThumbnail = writing == FileWrite::NewName && detected == TypeIdentifiers::png()
            && std::max(width, height) <= thumbnailSize
            && reader.transformation() == QImageIOHandler::TransformationNone;
        // From the bytes as copied, while they are converted, hashed and written.
        if (!ownThumbnail) {
            decoding = QtConcurrent::run(thumbnailDecoding(), &decodedThumbnail, data, boundedSize(size, thumbnailSize),
                size, reader.transformation());
        }
        if (detected.isEmpty()) {
            // Another format (TIFF, BMP, …): re-encoded as PNG, its orientation tag not applied.
            const QByteArray png = pngData(reader.read());
            if (png.isEmpty())
                return std::optional<SavedImage>();
            stored = png;
            type = TypeIdentifiers::png();
        }
    }

    SavedImage saved;
    saved.path
        = QStringLiteral("Images/") + fileName(id) + QLatin1Char('.') + TypeIdentifiers::preferredExtension(type);
    const Status status = write(stored, saved.path, folder, writing);
    saved.hash = sha256(stored);
    if (decoding.isValid())
        thumbnail = decoding.result();
    if (!status)
        return status.error();
    const QString thumbnailPath = QStringLiteral("Thumbnails/") + fileName(id) + QStringLiteral(".png");
    if (ownThumbnail && secondName(saved.path, thumbnailPath, folder))
        saved.thumbnailPath = thumbnailPath;
    else if (ownThumbnail)
        thumbnail = decodedThumbnail(data, QSize(int(width), int(height)), QSize(int(width), int(height)), {});
    if (!thumbnail.isNull()) {
        const QByteArray png = pngData(thumbnail);
        if (!png.isEmpty() && write(png, thumbnailPath, folder, writing))
            saved.thumbnailPath = thumbnailPath;
    }
    saved.type = type;
    saved.byteCount = stored.size();
    saved.width = width;
    saved.height = height;
    return std::optional<SavedImage>(saved);
}

Result<SavedText> saveText(const QString &text, const QUuid &id, const QString &folder, FileWrite writing)
{
    // Fewer UTF-16 units than the limit means fewer characters too: nothing to count.
    if (text.size() <= inlineTextLimit)
        return SavedText { text, std::nullopt };
    // Up to a unit past the limit, ASCII but for a carriage return (one character with a line
    // feed after it) is a character a unit: nothing to look up.
    const QStringView head = QStringView(text).first(inlineTextLimit + 1);
    const bool plain = std::all_of(head.begin(), head.end(), [](QChar c) { return c.unicode() < 0x80 && c != u'\r'; });
    qsizetype headEnd = plain ? inlineTextLimit : 0;
    if (!plain) {
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
        for (qsizetype characters = 0; characters < inlineTextLimit; ++characters) {
            const qsizetype next = finder.toNextBoundary();
            if (next < 0)
                break;
            headEnd = next;
        }
    }
    if (headEnd >= text.size())
        return SavedText { text, std::nullopt };
    const QString path = QStringLiteral("Text/") + fileName(id) + QStringLiteral(".txt");
    if (const Status status = write(text.toUtf8(), path, folder, writing); !status)
        return status.error();
    return SavedText { text.left(headEnd), path };
}

void remove(const QStringList &paths, const QString &folder)
{
    for (const QString &relative : paths) {
        const std::optional<QString> path = filePath(relative, folder);
        if (!path)
            qCWarning(lcStore) << "not removing" << relative << ": not a side file";
        else if (QFileInfo::exists(*path) && !QFile::remove(*path))
            qCWarning(lcStore) << "cannot remove" << *path;
    }
}

void move(const QStringList &paths, const QString &from, const QString &to)
{
    for (const QString &relative : paths) {
        const std::optional<QString> path = filePath(relative, from);
        if (!path || !QFile::rename(*path, to + QLatin1Char('/') + relative))
            qCWarning(lcStore) << "cannot move" << relative << "out of" << from;
    }
}

StoredPaths::StoredPaths(std::initializer_list<QStringView> paths)
{
    for (const QStringView path : paths)
        insert(path);
}

quint64 StoredPaths::digest(QStringView path)
{
    return XXH3_64bits(path.data(), size_t(path.size()) * sizeof(QChar));
}

void StoredPaths::insert(QStringView path)
{
    m_digests.insert(digest(path));
}

bool StoredPaths::contains(QStringView path) const
{
    return m_digests.contains(digest(path));
}

void removeStrays(const QString &folder, const StoredPaths &named, const QDateTime &before)
{
    for (const QString &sub : folders()) {
        const QString subFolder = folder + QLatin1Char('/') + sub;
        // Whatever a link leads to is not the store's.
        if (QFileInfo(subFolder).isSymLink())
            continue;
        QDirIterator files(subFolder, QDir::Files | QDir::Hidden | QDir::System);
        while (files.hasNext()) {
            const QFileInfo file(files.next());
            if (!named.contains(QString(sub + QLatin1Char('/') + file.fileName())) && file.lastModified() < before
                && !QFile::remove(file.filePath()))
                qCWarning(lcStore) << "cannot remove the stray file" << file.filePath();
        }
    }
}

TemporaryFolder::TemporaryFolder()
    : m_path(QDir::tempPath() + QLatin1Char('/') + temporaryPrefix() + fileName(QUuid::createUuid()))
    , m_inUse(lockPath(m_path))
{
    // Marked in use before it exists, so that no other start takes it for one left behind.
    if (!m_inUse.tryLock())
        qCWarning(lcStore) << "cannot mark" << m_path << "as in use";
    // Private from the start: it will hold the user's copies.
    if (!DataPaths::ensureFolder(m_path))
        qCWarning(lcStore) << "cannot make the folder" << m_path;
    ensureFolders(m_path);
}

TemporaryFolder::~TemporaryFolder()
{
    // Nothing of the history in memory outlives it.
    if (!QDir(m_path).removeRecursively())
        qCWarning(lcStore) << "cannot remove" << m_path;
    m_inUse.unlock();
}

void removeLeftTemporaryFolders()
{
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
        | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    const QFileInfoList left = QDir(QDir::tempPath())
                                   .entryInfoList({ temporaryPrefix() + QLatin1Char('*') },
                                       QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo &folder : left) {
        if (folder.permissions() & others)
            continue;
        PrivateLockFile inUse(lockPath(folder.filePath()));
        if (!inUse.tryLock())
            continue;
        if (!QDir(folder.filePath()).removeRecursively())
            qCWarning(lcStore) << "cannot remove the left folder" << folder.filePath();
    }
}

QImage thumbnail(const QString &filePath, int maxPixels)
{
    const int bound = qMax(1, maxPixels);
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (reader.canRead() && size.isValid()) {
        reader.setScaledSize(boundedSize(size, bound));
        return reader.read();
    }
    const QByteArray data = [&] {
        file.seek(0);
        return file.readAll();
    }();
    if (keptType(data) != TypeIdentifiers::heic())
        return {};
    const std::optional<Heif> heif = openHeif(data);
    const QImage full = heif ? decodeHeif(*heif) : QImage();
    return full.isNull() ? full
                         : full.scaled(boundedSize(full.size(), bound), Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace ClipboardFiles
