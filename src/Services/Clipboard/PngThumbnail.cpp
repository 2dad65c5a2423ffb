#include "Services/Clipboard/PngThumbnail.h"

#include "Platform/Logging.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// Everything that changes while libpng may jump back to the start: kept off the stack, whose
// variables are indeterminate after the jump.
struct Decoding
{
    const QByteArray *data = nullptr;
    qsizetype at = 0;
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::vector<png_byte> row;
    // Per column of the thumbnail: the sums of premultiplied red, green, blue and of alpha.
    std::vector<quint64> sums;
    std::vector<int> column;
    std::vector<int> columnWidth;
    QImage thumbnail;

    ~Decoding() { png_destroy_read_struct(&png, &info, nullptr); }
};

void readBytes(png_structp png, png_bytep out, size_t length)
{
    auto *decoding = static_cast<Decoding *>(png_get_io_ptr(png));
    if (decoding->data->size() - decoding->at < qsizetype(length))
        png_error(png, "the data ends early");
    std::memcpy(out, decoding->data->constData() + decoding->at, length);
    decoding->at += qsizetype(length);
}

void ignoreWarning(png_structp, png_const_charp)
{
}

void stop(png_structp png, png_const_charp message)
{
    qCDebug(lcClipboard) << "no thumbnail decoded row by row:" << message;
    png_longjmp(png, 1);
}

// Writes the thumbnail's row `y` from the sums of `rows` rows of the picture, and clears them.
void flush(Decoding &d, int y, int rows)
{
    auto *out = reinterpret_cast<quint32 *>(d.thumbnail.scanLine(y));
    for (int x = 0; x < d.thumbnail.width(); ++x) {
        quint64 *sum = &d.sums[size_t(x) * 4];
        const quint64 pixels = quint64(d.columnWidth[x]) * quint64(rows);
        // Premultiplied sums over 255 × pixels give premultiplied means.
        const quint64 scale = pixels * 255;
        const auto mean = [&](quint64 value, quint64 over) { return quint32((value + over / 2) / over); };
        out[x] = qRgba(
            int(mean(sum[0], scale)), int(mean(sum[1], scale)), int(mean(sum[2], scale)), int(mean(sum[3], pixels)));
        sum[0] = sum[1] = sum[2] = sum[3] = 0;
    }
}

} // namespace

namespace PngThumbnail {

QImage decode(const QByteArray &data, QSize size)
{
    if (size.isEmpty())
        return {};
    const auto decoding = std::make_unique<Decoding>();
    Decoding *const d = decoding.get();
    d->data = &data;
    d->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, &stop, &ignoreWarning);
    if (!d->png)
        return {};
    d->info = png_create_info_struct(d->png);
    if (!d->info)
        return {};
    if (setjmp(png_jmpbuf(d->png)))
        return {};
    png_set_read_fn(d->png, d, &readBytes);
    png_set_crc_action(d->png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#ifdef PNG_IGNORE_ADLER32
    png_set_option(d->png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
    png_read_info(d->png, d->info);
    const png_uint_32 width = png_get_image_width(d->png, d->info);
    const png_uint_32 height = png_get_image_height(d->png, d->info);
    if (png_get_interlace_type(d->png, d->info) != PNG_INTERLACE_NONE || width == 0 || height == 0
        || png_uint_32(size.width()) > width || png_uint_32(size.height()) > height)
        return {};
    // Every kind of PNG as 8-bit RGBA.
    png_set_expand(d->png);
    png_set_strip_16(d->png);
    png_set_gray_to_rgb(d->png);
    png_set_filler(d->png, 0xff, PNG_FILLER_AFTER);
    png_read_update_info(d->png, d->info);
    if (png_get_rowbytes(d->png, d->info) != size_t(width) * 4)
        return {};

    d->thumbnail = QImage(size, QImage::Format_ARGB32_Premultiplied);
    if (d->thumbnail.isNull())
        return {};
    const int thumbnailWidth = size.width();
    d->row.resize(size_t(width) * 4);
    d->sums.assign(size_t(thumbnailWidth) * 4, 0);
    d->column.resize(width);
    d->columnWidth.assign(size_t(thumbnailWidth), 0);
    for (png_uint_32 x = 0; x < width; ++x) {
        d->column[x] = int(quint64(x) * quint64(thumbnailWidth) / width);
        ++d->columnWidth[size_t(d->column[x])];
    }
    int rows = 0;
    for (png_uint_32 y = 0; y < height; ++y) {
        png_read_row(d->png, d->row.data(), nullptr);
        const png_byte *pixel = d->row.data();
        for (png_uint_32 x = 0; x < width; ++x, pixel += 4) {
            quint64 *sum = &d->sums[size_t(d->column[x]) * 4];
            const quint32 alpha = pixel[3];
            sum[0] += quint32(pixel[0]) * alpha;
            sum[1] += quint32(pixel[1]) * alpha;
            sum[2] += quint32(pixel[2]) * alpha;
            sum[3] += alpha;
        }
        ++rows;
        const int thumbnailRow = int(quint64(y) * quint64(size.height()) / height);
        if (y + 1 == height || int(quint64(y + 1) * quint64(size.height()) / height) != thumbnailRow) {
            flush(*d, thumbnailRow, rows);
            rows = 0;
        }
    }
    return d->thumbnail;
}

} // namespace PngThumbnail
