// Capture time of one large screenshot-sized copy: a 3840 × 2160 PNG taken from the clipboard
// snapshot to its stored image and thumbnail.
#include "Services/Clipboard/ClipboardCaptures.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

// A fixed picture: gradients with some deterministic noise, so that PNG has work to do.
QByteArray screenshot()
{
    QImage image(3840, 2160, QImage::Format_RGB32);
    QRandomGenerator random(42);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int noise = (x % 64 < 8) ? int(random.bounded(32)) : 0;
            line[x] = qRgb((x * 255 / 3840 + noise) & 0xff, (y * 255 / 2160) & 0xff, ((x + y) / 24 + noise) & 0xff);
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "png").write(image);
    return bytes;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir folder;
    const QByteArray png = screenshot();
    ClipboardContents contents;
    contents.imageData = png;
    contents.imageType = QStringLiteral("image/png");
    contents.copiedAt = QDateTime::currentDateTimeUtc();

    constexpr int runs = 7;
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        const auto result = ClipboardCaptures::make(contents, folder.path());
        times.append(double(timer.nsecsElapsed()) / 1e6);
        if (!result || !result.value() || !result.value()->thumbnailPath) {
            std::fprintf(stderr, "capture failed\n");
            return 1;
        }
    }
    std::sort(times.begin(), times.end());
    std::printf("capture of a 3840x2160 PNG (%.1f MB): median %.1f ms, min %.1f ms, max %.1f ms over %d runs\n",
        double(png.size()) / 1e6, times.at(runs / 2), times.first(), times.last(), runs);
    return 0;
}
