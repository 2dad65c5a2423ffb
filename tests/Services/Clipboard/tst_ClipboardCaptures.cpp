#include "Models/Clipboard/ClipboardItem.h"
#include "Services/Clipboard/ClipboardCaptures.h"
#include "Services/Clipboard/ClipboardFiles.h"
#include "TestHome.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QTest>
#include <QTimeZone>
#include <QTransform>

#include <libheif/heif.h>

Q_DECLARE_METATYPE(ClipboardKind)

namespace {

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image))
        qFatal("cannot write %s: %s", format, qPrintable(writer.errorString()));
    return bytes;
}

QImage picture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    // A red block at the top left tells the orientation.
    for (int y = 0; y < height / 5; ++y) {
        for (int x = 0; x < width / 2; ++x)
            image.setPixel(x, y, qRgb(220, 0, 0));
    }
    return image;
}

// A JPEG with an EXIF orientation tag spliced in after its start marker.
QByteArray jpegWithOrientation(const QImage &image, quint8 orientation)
{
    const QByteArray jpeg = encoded(image, "jpeg");
    QByteArray tiff("MM\x00\x2a\x00\x00\x00\x08", 8);
    tiff += QByteArray("\x00\x01", 2); // one entry
    tiff += QByteArray("\x01\x12\x00\x03\x00\x00\x00\x01", 8); // orientation, SHORT, 1
    tiff += QByteArray("\x00", 1) + char(orientation) + QByteArray("\x00\x00", 2);
    tiff += QByteArray("\x00\x00\x00\x00", 4); // no next IFD
    const QByteArray payload = QByteArray("Exif\x00\x00", 6) + tiff;
    const quint16 length = quint16(payload.size() + 2);
    QByteArray app1("\xff\xe1", 2);
    app1 += char(length >> 8);
    app1 += char(length & 0xff);
    app1 += payload;
    return jpeg.left(2) + app1 + jpeg.mid(2);
}

// A HEIC picture made with libheif's own encoder; empty when the machine has none.
QByteArray heic(const QImage &source)
{
    if (!heif_have_encoder_for_format(heif_compression_HEVC))
        return {};
    const QImage image = source.convertToFormat(QImage::Format_RGB888);
    heif_context *context = heif_context_alloc();
    heif_encoder *encoder = nullptr;
    heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder);
    heif_encoder_set_lossy_quality(encoder, 60);
    heif_image *picture = nullptr;
    heif_image_create(image.width(), image.height(), heif_colorspace_RGB, heif_chroma_interleaved_RGB, &picture);
    heif_image_add_plane(picture, heif_channel_interleaved, image.width(), image.height(), 8);
    int stride = 0;
    uint8_t *plane = heif_image_get_plane(picture, heif_channel_interleaved, &stride);
    for (int y = 0; y < image.height(); ++y)
        memcpy(plane + y * stride, image.constScanLine(y), size_t(image.width()) * 3);
    heif_context_encode_image(context, picture, encoder, nullptr, nullptr);
    heif_encoder_release(encoder);
    heif_image_release(picture);
    QByteArray bytes;
    heif_writer writer;
    writer.writer_api_version = 1;
    writer.write = [](heif_context *, const void *data, size_t size, void *target) {
        static_cast<QByteArray *>(target)->append(static_cast<const char *>(data), qsizetype(size));
        return heif_error { heif_error_Ok, heif_suberror_Unspecified, "" };
    };
    heif_context_write(context, &writer, &bytes);
    heif_context_free(context);
    return bytes;
}

QStringList filesUnder(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

ClipboardContents snapshot()
{
    ClipboardContents contents;
    contents.sourceAppName = QStringLiteral("Editor");
    contents.sourceAppId = QStringLiteral("org.example.Editor");
    contents.copiedAt = QDateTime(QDate(2026, 3, 4), QTime(10, 0), QTimeZone::utc());
    return contents;
}

ClipboardCapture captured(const ClipboardContents &contents, const QString &folder)
{
    auto result = ClipboardCaptures::make(contents, folder);
    if (!result)
        qFatal("capture failed: %s", qPrintable(result.error().description()));
    if (!result.value())
        qFatal("capture gave nothing");
    return *result.value();
}

// Writes a file last changed at `changed`.
void writeFile(const QString &path, const QDateTime &changed)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("bytes") != 5 || !file.flush()
        || !file.setFileTime(changed, QFileDevice::FileModificationTime))
        qFatal("cannot write %s", qPrintable(path));
}

QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

} // namespace

class TestClipboardCapture final : public QObject
{
    Q_OBJECT

private:
    TestHome m_home;
    QString m_folder;
    int m_run = 0;

private Q_SLOTS:
    void init()
    {
        m_folder = m_home.path() + QStringLiteral("/store-") + QString::number(++m_run);
        QVERIFY(QDir().mkpath(m_folder));
    }

    void filesComeFirst()
    {
        ClipboardContents contents = snapshot();
        contents.fileUrls = { QUrl::fromLocalFile(QStringLiteral("/home/u/a b.txt")),
            QUrl::fromLocalFile(QStringLiteral("/home/u/ü.png")) };
        contents.string = QStringLiteral("ignored text");
        contents.imageData = encoded(picture(4, 4), "png");
        const ClipboardCapture capture = captured(contents, m_folder);
        const QString joined = QStringLiteral("/home/u/a b.txt\n/home/u/ü.png");
        QCOMPARE(capture.kind, ClipboardKind::File);
        QCOMPARE(capture.content, joined);
        QCOMPARE(capture.contentHash, hex(joined.toUtf8()));
        QCOMPARE(capture.byteCount, joined.toUtf8().size());
        QCOMPARE(capture.mimeType, QStringLiteral("public.file-url"));
        QCOMPARE(capture.copyCount, 1);
        QCOMPARE(capture.copiedAt, contents.copiedAt);
        QCOMPARE(capture.firstCopiedAt, contents.copiedAt);
        QCOMPARE(capture.sourceAppId, contents.sourceAppId);
        QVERIFY(capture.filePaths().isEmpty());
        QVERIFY(filesUnder(m_folder).isEmpty());
    }

    void aFileNameWithALineBreakStaysOnePath()
    {
        ClipboardContents contents = snapshot();
        const QStringList paths { QStringLiteral("/tmp/two\nlines.txt"), QStringLiteral("/tmp/r\retc"),
            QStringLiteral("/tmp/plain 100%.txt") };
        for (const QString &path : paths)
            contents.fileUrls.append(QUrl::fromLocalFile(path));
        const ClipboardItem item(captured(contents, m_folder));
        QCOMPARE(item.filePaths(), paths);
        QCOMPARE(item.title(), QStringLiteral("two\nlines.txt and 2 more"));
    }

    void imagesAreKeptOrReencoded_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("kept");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QSize>("size");
        const QSize size(40, 30);
        // Qt writes no GIF: a one-pixel picture by hand.
        const QByteArray gif = QByteArray::fromHex(
            "47494638396101000100800000000000ffffff21f90401000000002c00000000010001000002024401003b");
        QTest::newRow("png") << encoded(picture(40, 30), "png") << true << "public.png"
                             << "png" << size;
        QTest::newRow("jpeg") << encoded(picture(40, 30), "jpeg") << true << "public.jpeg"
                              << "jpeg" << size;
        QTest::newRow("gif") << gif << true << "com.compuserve.gif"
                             << "gif" << QSize(1, 1);
        QTest::newRow("tiff") << encoded(picture(40, 30), "tiff") << false << "public.png"
                              << "png" << size;
        QTest::newRow("bmp") << encoded(picture(40, 30), "bmp") << false << "public.png"
                             << "png" << size;
    }

    void imagesAreKeptOrReencoded()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, kept);
        QFETCH(QString, type);
        QFETCH(QString, extension);
        QFETCH(QSize, size);
        ClipboardContents contents = snapshot();
        contents.imageData = bytes;
        contents.string = QStringLiteral("prose that comes along");
        const ClipboardCapture capture = captured(contents, m_folder);
        const QString id = capture.id.toString(QUuid::WithoutBraces).toUpper();
        QCOMPARE(capture.kind, ClipboardKind::Image);
        QVERIFY(capture.content.isEmpty());
        QCOMPARE(capture.mimeType, type);
        QCOMPARE(capture.imagePath, QStringLiteral("Images/%1.%2").arg(id, extension));
        QCOMPARE(capture.thumbnailPath, QStringLiteral("Thumbnails/%1.png").arg(id));
        QCOMPARE(capture.pixelWidth, size.width());
        QCOMPARE(capture.pixelHeight, size.height());
        QFile stored(m_folder + QLatin1Char('/') + *capture.imagePath);
        QVERIFY(stored.open(QIODevice::ReadOnly));
        const QByteArray storedBytes = stored.readAll();
        if (kept)
            QCOMPARE(storedBytes, bytes);
        else
            QVERIFY(storedBytes.startsWith("\x89PNG"));
        QCOMPARE(capture.contentHash, hex(storedBytes));
        QCOMPARE(capture.byteCount, storedBytes.size());
        QCOMPARE(capture.filePaths(), QStringList({ *capture.imagePath, *capture.thumbnailPath }));
    }

    // A PNG's thumbnail, decoded a row at a time, is the picture as Qt's decoder and smooth
    // scaling see it, for every kind of PNG; the stored bytes are the copy's own.
    void pngThumbnailsAreThePicture_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("thumbnail");
        QTest::addColumn<bool>("imported");
        const auto scene = [](QImage::Format format) {
            QImage image(700, 400, QImage::Format_ARGB32);
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x)
                    image.setPixel(
                        x, y, qRgba(40 + x * 200 / 700, y * 255 / 400, (x + y) * 255 / 1100, 255 - y * 200 / 400));
            }
            return image.convertToFormat(format);
        };
        const auto png = [](const QImage &image) { return encoded(image, "png"); };
        // Opaque blue squares between transparent red ones: the red must not bleed into the blue.
        QImage seeThrough(700, 400, QImage::Format_ARGB32);
        for (int x = 0; x < seeThrough.width(); ++x) {
            for (int y = 0; y < seeThrough.height(); ++y)
                seeThrough.setPixel(x, y, (x / 35 + y / 20) % 2 ? qRgba(0, 0, 255, 255) : qRgba(255, 0, 0, 0));
        }
        const QSize wide(320, 182);
        QTest::newRow("rgb") << png(scene(QImage::Format_RGB32)) << wide << false;
        QTest::newRow("rgba") << png(scene(QImage::Format_ARGB32)) << wide << false;
        QTest::newRow("see-through") << png(seeThrough) << wide << false;
        QTest::newRow("palette") << png(scene(QImage::Format_RGB32).convertToFormat(QImage::Format_Indexed8)) << wide
                                 << false;
        QTest::newRow("grey") << png(scene(QImage::Format_Grayscale8)) << wide << false;
        QTest::newRow("16 bits") << png(scene(QImage::Format_RGBA64)) << wide << false;
        QTest::newRow("tall") << png(scene(QImage::Format_RGB32).transformed(QTransform().rotate(90)))
                              << QSize(182, 320) << false;
        QTest::newRow("small") << png(scene(QImage::Format_RGB32).scaled(90, 50)) << QSize(90, 50) << false;
        // An import's small PNG is its own thumbnail; a larger one's is made as for a copy.
        QTest::newRow("imported small") << png(scene(QImage::Format_RGB32).scaled(90, 50)) << QSize(90, 50) << true;
        QTest::newRow("imported at the limit")
            << png(scene(QImage::Format_ARGB32).scaled(320, 40)) << QSize(320, 40) << true;
        QTest::newRow("imported past the limit")
            << png(scene(QImage::Format_ARGB32).scaled(400, 40)) << QSize(320, 32) << true;
    }

    void pngThumbnailsAreThePicture()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, thumbnail);
        QFETCH(bool, imported);
        ClipboardContents contents = snapshot();
        contents.imageData = bytes;
        ExportedClipboardItem item;
        item.id = QUuid::createUuid();
        item.type = ClipboardKinds::storedValue(ClipboardKind::Image);
        item.imageData = bytes;
        item.createdAt = contents.copiedAt;
        const ClipboardCapture capture = imported
            ? *ClipboardCaptures::makeImported(item, m_folder, ClipboardFiles::FileWrite::NewName).value()
            : captured(contents, m_folder);
        QFile stored(m_folder + QLatin1Char('/') + *capture.imagePath);
        QVERIFY(stored.open(QIODevice::ReadOnly));
        QCOMPARE(stored.readAll(), bytes);
        QVERIFY(capture.thumbnailPath);
        QFile thumbnailFile(m_folder + QLatin1Char('/') + *capture.thumbnailPath);
        QVERIFY(thumbnailFile.open(QIODevice::ReadOnly));
        // Only an import's picture of a thumbnail's size is stored once, under both names.
        QCOMPARE(thumbnailFile.readAll() == bytes, imported && thumbnail == QImage::fromData(bytes).size());
        QCOMPARE(filesUnder(m_folder).size(), 2);
        const QImage made = QImage(m_folder + QLatin1Char('/') + *capture.thumbnailPath)
                                .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(made.size(), thumbnail);
        const QImage expected = QImage::fromData(bytes)
                                    .convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                    .scaled(thumbnail, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        qint64 difference = 0;
        int bled = 0;
        for (int y = 0; y < made.height(); ++y) {
            for (int x = 0; x < made.width(); ++x) {
                const QRgb a = made.pixel(x, y), b = expected.pixel(x, y);
                for (const int d :
                    { qRed(a) - qRed(b), qGreen(a) - qGreen(b), qBlue(a) - qBlue(b), qAlpha(a) - qAlpha(b) })
                    difference += std::abs(d);
                // No colour of a transparent pixel shows.
                if (qRed(b) == 0)
                    bled = std::max(bled, qRed(a));
            }
        }
        // The two filters differ a little where colour changes fast, never over a whole picture.
        const double mean = double(difference) / (made.width() * made.height() * 4);
        QVERIFY2(mean < 4 && bled < 8, qPrintable(QStringLiteral("mean %1, bled %2").arg(mean).arg(bled)));
    }

    void rotatedImagesReportTheDisplayedSizeAndThumbnail()
    {
        ClipboardContents contents = snapshot();
        contents.imageData = jpegWithOrientation(picture(400, 300), 6);
        const ClipboardCapture capture = captured(contents, m_folder);
        QCOMPARE(capture.mimeType, QStringLiteral("public.jpeg"));
        QCOMPARE(capture.pixelWidth, 300);
        QCOMPARE(capture.pixelHeight, 400);
        const QImage thumbnail(m_folder + QLatin1Char('/') + *capture.thumbnailPath);
        QCOMPARE(thumbnail.size(), QSize(240, 320));
        // The top-left mark of the stored pixels is at the top right once turned.
        QVERIFY(qRed(thumbnail.pixel(235, 2)) > 150 && qGreen(thumbnail.pixel(235, 2)) < 100);
    }

    void heicIsKeptAndDecodedThroughLibheif()
    {
        const QByteArray bytes = heic(picture(400, 300));
        if (bytes.isEmpty())
            QSKIP("no HEVC encoder on this machine");
        ClipboardContents contents = snapshot();
        contents.imageData = bytes;
        const ClipboardCapture capture = captured(contents, m_folder);
        QCOMPARE(capture.mimeType, QStringLiteral("public.heic"));
        QVERIFY(capture.imagePath->endsWith(QLatin1String(".heic")));
        QCOMPARE(capture.pixelWidth, 400);
        QCOMPARE(capture.pixelHeight, 300);
        QFile stored(m_folder + QLatin1Char('/') + *capture.imagePath);
        QVERIFY(stored.open(QIODevice::ReadOnly));
        QCOMPARE(stored.readAll(), bytes);
        QCOMPARE(QImage(m_folder + QLatin1Char('/') + *capture.thumbnailPath).size(), QSize(320, 240));
        QCOMPARE(
            ClipboardFiles::thumbnail(m_folder + QLatin1Char('/') + *capture.imagePath, 100).size(), QSize(100, 75));
    }

    void imagesBeyondTheDecoderLimitAreKeptUndecoded_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("width");
        // A GIF decodes whole, at the size of its screen: 2000 × 2000 here.
        QTest::newRow("GIF") << QByteArray::fromHex(
            "474946383961d007d007800000000000ffffff21f90401000000002c00000000010001000002024401003b")
                             << "com.compuserve.gif" << 2000;
        // Its declared size is checked before the decoder allocates for it.
        QTest::newRow("HEIC") << heic(picture(600, 600)) << "public.heic" << 600;
    }

    void imagesBeyondTheDecoderLimitAreKeptUndecoded()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, type);
        QFETCH(int, width);
        if (bytes.isEmpty())
            QSKIP("no HEVC encoder on this machine");
        const int previous = QImageReader::allocationLimit();
        // One megabyte: a 600 × 600 picture needs 1.4 of them, 2000 × 2000 sixteen.
        QImageReader::setAllocationLimit(1);
        ClipboardContents contents = snapshot();
        contents.imageData = bytes;
        const auto result = ClipboardCaptures::make(contents, m_folder);
        const QString stored = result && result.value() && result.value()->imagePath
            ? m_folder + QLatin1Char('/') + *result.value()->imagePath
            : QString();
        const QImage thumbnail = stored.isEmpty() ? QImage() : ClipboardFiles::thumbnail(stored, 100);
        QImageReader::setAllocationLimit(previous);
        QVERIFY(!stored.isEmpty());
        QCOMPARE(result.value()->mimeType, type);
        QCOMPARE(result.value()->pixelWidth, width);
        QVERIFY(!result.value()->thumbnailPath);
        QFile file(stored);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
        QVERIFY(thumbnail.isNull());
    }

    void nothingUsable_data()
    {
        QTest::addColumn<std::optional<QByteArray>>("image");
        QTest::addColumn<std::optional<QString>>("text");
        QTest::newRow("bytes that are no image, with text")
            << std::optional<QByteArray>("not an image at all") << std::optional<QString>(QStringLiteral("text"));
        QTest::newRow("truncated png") << std::optional<QByteArray>(encoded(picture(8, 8), "png").left(12))
                                       << std::optional<QString>();
        QTest::newRow("blank text") << std::optional<QByteArray>()
                                    << std::optional<QString>(QStringLiteral(" \n\t\u2028 "));
        QTest::newRow("nothing") << std::optional<QByteArray>() << std::optional<QString>();
    }

    void nothingUsable()
    {
        QFETCH(std::optional<QByteArray>, image);
        QFETCH(std::optional<QString>, text);
        ClipboardContents contents = snapshot();
        contents.imageData = image;
        contents.string = text;
        const auto result = ClipboardCaptures::make(contents, m_folder);
        QVERIFY(result);
        QVERIFY(!result.value());
        QVERIFY(filesUnder(m_folder).isEmpty());
    }

    void textKeepsItsBlanksAndKind()
    {
        ClipboardContents contents = snapshot();
        contents.string = QStringLiteral("  https://example.com/path \n");
        const ClipboardCapture first = captured(contents, m_folder);
        QCOMPARE(first.kind, ClipboardKind::Url);
        QCOMPARE(first.mimeType, QStringLiteral("public.url"));
        QCOMPARE(first.content, *contents.string);
        QCOMPARE(first.contentHash, hex(contents.string->toUtf8()));
        const ClipboardCapture second = captured(contents, m_folder);
        QCOMPARE(second.contentHash, first.contentHash);
        QVERIFY(second.id != first.id);

        contents.string = QStringLiteral("git status");
        QCOMPARE(captured(contents, m_folder).kind, ClipboardKind::Code);
        contents.string = QStringLiteral("Grüße");
        const ClipboardCapture plain = captured(contents, m_folder);
        QCOMPARE(plain.kind, ClipboardKind::Text);
        QCOMPARE(plain.mimeType, QStringLiteral("public.utf8-plain-text"));
        QCOMPARE(plain.byteCount, 7);
        QVERIFY(filesUnder(m_folder).isEmpty());
    }

    void longTextGoesToASideFileAtTheCharacterBoundary_data()
    {
        QTest::addColumn<QString>("head");
        const QString a(19999, QLatin1Char('a'));
        // A thumbs-up with a skin tone is one character of four UTF-16 units.
        QTest::newRow("emoji") << a + QStringLiteral("\U0001F44D\U0001F3FD");
        QTest::newRow("ASCII") << a + QLatin1Char('z');
        QTest::newRow("line end") << a + QStringLiteral("\r\n");
        QTest::newRow("accent after ASCII") << a + QStringLiteral("e\u0301");
    }

    void longTextGoesToASideFileAtTheCharacterBoundary()
    {
        QFETCH(QString, head);
        ClipboardContents contents = snapshot();
        contents.string = head;
        const ClipboardCapture exact = captured(contents, m_folder);
        QCOMPARE(exact.content, *contents.string);
        QVERIFY(!exact.textPath);

        contents.string->append(QLatin1Char('b'));
        const ClipboardCapture longer = captured(contents, m_folder);
        const QString id = longer.id.toString(QUuid::WithoutBraces).toUpper();
        QCOMPARE(longer.textPath, QStringLiteral("Text/%1.txt").arg(id));
        QCOMPARE(longer.content, head);
        QCOMPARE(longer.contentHash, hex(contents.string->toUtf8()));
        QCOMPARE(longer.byteCount, contents.string->toUtf8().size());
        QFile file(m_folder + QLatin1Char('/') + *longer.textPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()), *contents.string);
        QCOMPARE(filesUnder(m_folder), QStringList { *longer.textPath });
    }

    void writeFailuresLeaveNoSideFile_data()
    {
        QTest::addColumn<QString>("blocked");
        QTest::addColumn<bool>("image");
        QTest::addColumn<bool>("imported");
        QTest::newRow("image folder") << "Images" << true << false;
        QTest::newRow("text folder") << "Text" << false << false;
        QTest::newRow("imported image") << "Images" << true << true;
        QTest::newRow("imported text") << "Text" << false << true;
    }

    void writeFailuresLeaveNoSideFile()
    {
        QFETCH(QString, blocked);
        QFETCH(bool, image);
        QFETCH(bool, imported);
        QFile blocker(m_folder + QLatin1Char('/') + blocked);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        ClipboardContents contents = snapshot();
        if (image)
            contents.imageData = encoded(picture(10, 10), "png");
        else
            contents.string = QString(20001, QLatin1Char('x'));
        ExportedClipboardItem item;
        item.id = QUuid::createUuid();
        item.type = ClipboardKinds::storedValue(image ? ClipboardKind::Image : ClipboardKind::Text);
        item.content = contents.string.value_or(QString());
        item.imageData = contents.imageData;
        item.createdAt = contents.copiedAt;
        const auto result
            = imported ? ClipboardCaptures::makeImported(item, m_folder) : ClipboardCaptures::make(contents, m_folder);
        QVERIFY(!result);
        QVERIFY(!result.error().message.isEmpty());
        QCOMPARE(filesUnder(m_folder), QStringList { blocked });
    }

    void aFailedThumbnailStillSavesTheImage()
    {
        QFile blocker(m_folder + QStringLiteral("/Thumbnails"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        ClipboardContents contents = snapshot();
        contents.imageData = encoded(picture(10, 10), "png");
        const ClipboardCapture capture = captured(contents, m_folder);
        QVERIFY(capture.imagePath);
        QVERIFY(!capture.thumbnailPath);
        QCOMPARE(capture.filePaths(), QStringList { *capture.imagePath });
    }

    void removeSkipsMissingAndForeignPaths()
    {
        const QString outside = m_home.path() + QStringLiteral("/outside.txt");
        QFile file(outside);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        ClipboardContents contents = snapshot();
        contents.imageData = encoded(picture(10, 10), "png");
        const ClipboardCapture capture = captured(contents, m_folder);
        ClipboardFiles::remove({ QStringLiteral("Images/missing.png"), QStringLiteral("../outside.txt"), outside,
                                   *capture.imagePath, *capture.thumbnailPath },
            m_folder);
        QVERIFY(filesUnder(m_folder).isEmpty());
        QVERIFY(QFile::exists(outside));
    }

    void removeTouchesOnlySideFiles()
    {
        // What import's clean-up and the store hand over are stored paths; none may reach the
        // database, another folder, or through a link.
        const QDateTime old = QDateTime::currentDateTimeUtc().addDays(-1);
        const QString outside = m_home.path() + QStringLiteral("/outside-") + QString::number(m_run);
        writeFile(outside + QStringLiteral("/A.png"), old);
        const QStringList kept { QStringLiteral("Clipboard.store"), QStringLiteral("Other/A.png"),
            QStringLiteral("Text/Deeper/A.txt") };
        for (const QString &path : kept)
            writeFile(m_folder + QLatin1Char('/') + path, old);
        QVERIFY(QFile::link(outside, m_folder + QStringLiteral("/Images")));
        ClipboardFiles::remove(kept
                + QStringList { QStringLiteral("Images/A.png"), QStringLiteral("Text/../Clipboard.store"),
                    QStringLiteral("Text/Deeper") },
            m_folder);
        for (const QString &path : kept)
            QVERIFY2(QFile::exists(m_folder + QLatin1Char('/') + path), qPrintable(path));
        QVERIFY(QFile::exists(outside + QStringLiteral("/A.png")));
    }

    void theSweepTakesOnlyStrays()
    {
        const QDateTime opened = QDateTime::currentDateTimeUtc();
        const QDateTime old = opened.addSecs(-3600);
        const QString outside = m_home.path() + QStringLiteral("/outside-") + QString::number(m_run);
        writeFile(outside + QStringLiteral("/OLD.txt"), old);
        QVERIFY(QFile::link(outside, m_folder + QStringLiteral("/Text")));
        const QStringList strays { QStringLiteral("Images/STRAY.png"), QStringLiteral("Thumbnails/.STRAY.png") };
        // Named by an entry, written by a capture under way, and anything outside the side-file
        // folders themselves.
        const QStringList kept { QStringLiteral("Images/KEPT.png"), QStringLiteral("Thumbnails/NEW.png"),
            QStringLiteral("Clipboard.store"), QStringLiteral("Other/OLD.png"),
            QStringLiteral("Images/Deeper/OLD.png") };
        for (const QString &path : strays + kept)
            writeFile(
                m_folder + QLatin1Char('/') + path, path.contains(QStringLiteral("NEW")) ? opened.addSecs(1) : old);

        ClipboardFiles::removeStrays(m_folder, { u"Images/KEPT.png" }, opened);
        for (const QString &path : strays)
            QVERIFY2(!QFileInfo::exists(m_folder + QLatin1Char('/') + path), qPrintable(path));
        for (const QString &path : kept)
            QVERIFY2(QFile::exists(m_folder + QLatin1Char('/') + path), qPrintable(path));
        QVERIFY(QFile::exists(outside + QStringLiteral("/OLD.txt")));
    }

    void aTemporaryFolderStaysWhileInUse()
    {
        QString path;
        {
            const ClipboardFiles::TemporaryFolder temporary;
            path = temporary.path();
            QVERIFY(QFileInfo(path).fileName().startsWith(QStringLiteral("Vemra-Clipboard-")));
            QCOMPARE(QFileInfo(path).permissions()
                    & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteOther),
                QFileDevice::Permissions());
            for (const QString &sub : ClipboardFiles::folders())
                QVERIFY2(QFileInfo(path + QLatin1Char('/') + sub).isDir(), qPrintable(sub));
            writeFile(path + QStringLiteral("/Images/A.png"), QDateTime::currentDateTimeUtc());
            // Another start's sweep of the folders that crashes left.
            ClipboardFiles::removeLeftTemporaryFolders();
            QVERIFY(QFile::exists(path + QStringLiteral("/Images/A.png")));
        }
        QVERIFY(!QFileInfo::exists(path));
    }

    void thumbnailDecoding()
    {
        const QString path = m_folder + QStringLiteral("/turned.jpeg");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(jpegWithOrientation(picture(400, 300), 6));
        file.close();
        QCOMPARE(ClipboardFiles::thumbnail(path, 100).size(), QSize(75, 100));
        QCOMPARE(ClipboardFiles::thumbnail(path, 0).size(), QSize(1, 1));
        QCOMPARE(ClipboardFiles::thumbnail(path, 1000).size(), QSize(300, 400));
        QVERIFY(ClipboardFiles::thumbnail(m_folder + QStringLiteral("/missing.png"), 100).isNull());
        QVERIFY(ClipboardFiles::thumbnail(m_folder, 100).isNull());
    }
};

QTEST_GUILESS_MAIN(TestClipboardCapture)
#include "tst_ClipboardCaptures.moc"
