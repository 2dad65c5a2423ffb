#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

// A PNG's thumbnail decoded a row at a time into the thumbnail's own size, each row averaged
// into its place as it comes: the picture is never held whole, and its checksums are not
// verified, since a damaged file costs only a wrong thumbnail (the stored bytes are the
// copy's own). Used off the main thread.
namespace PngThumbnail {

// The picture in `data` scaled to `size` by the mean of the pixels each of its own covers,
// before any orientation is applied. A null image for what it does not decode (an interlaced
// picture, damaged data), which the caller leaves to Qt's reader.
QImage decode(const QByteArray &data, QSize size);

} // namespace PngThumbnail
