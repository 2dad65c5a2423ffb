// Prints an image's size and how much of it is drawn: "WIDTHxHEIGHT COVERAGE", the coverage being
// the mean alpha from 0 to 1. SVG is read through Qt's own plugin, as the desktop's toolkits read it.
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>

#include <cstdio>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2)
        return 2;
    QImageReader reader(QString::fromLocal8Bit(argv[1]));
    const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32);
    if (image.isNull()) {
        std::fprintf(stderr, "imageinfo: %s\n", qPrintable(reader.errorString()));
        return 1;
    }
    double alpha = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            alpha += qAlpha(line[x]);
    }
    std::printf("%dx%d %.2f\n", image.width(), image.height(), alpha / 255.0 / (image.width() * image.height()));
    return 0;
}
