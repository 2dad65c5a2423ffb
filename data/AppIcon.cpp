// Draws the application's icon for the hicolor theme: the badge at every usual size as PNG and
// once as SVG, named after the application's id. Run by the build; nothing here is installed.
//
//   vemra_appicon OUTPUT_FOLDER APP_ID

#include "Components/Theme/MarkPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>

namespace {

// A dark tile with a white mark reads on light and dark menus alike.
const QColor tileColour(0x26, 0x26, 0x28);
const QColor markColour(Qt::white);
constexpr int sizes[] = { 16, 22, 24, 32, 48, 64, 128, 256, 512 };
constexpr int svgSide = 128;

// The badge fills 7/8 of the icon's square, as the theme's application icons leave a margin.
QRectF badgeSquare(qreal side)
{
    const qreal margin = side / 16;
    return { margin, margin, side - 2 * margin, side - 2 * margin };
}

bool write(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly)
        && file.write(data) == data.size();
}

bool writePng(const QString &path, int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(MarkPath::badgeTile(badgeSquare(side)), tileColour);
    painter.fillPath(MarkPath::badgeMark(badgeSquare(side)), markColour);
    painter.end();
    return QDir().mkpath(QFileInfo(path).absolutePath()) && image.save(path, "PNG");
}

QByteArray svg()
{
    const QRectF square = badgeSquare(svgSide);
    const QByteArray side = QByteArray::number(svgSide);
    return QByteArrayLiteral(R"(<svg xmlns="http://www.w3.org/2000/svg" width=")") + side
        + QByteArrayLiteral(R"(" height=")") + side + QByteArrayLiteral(R"(" viewBox="0 0 )") + side + ' ' + side
        + QByteArrayLiteral(R"(">)") + QByteArrayLiteral("\n<path fill=\"") + tileColour.name().toLatin1()
        + QByteArrayLiteral("\" d=\"") + MarkPath::svgPathData(MarkPath::badgeTile(square))
        + QByteArrayLiteral("\"/>\n<path fill=\"") + markColour.name().toLatin1() + QByteArrayLiteral("\" d=\"")
        + MarkPath::svgPathData(MarkPath::badgeMark(square)) + QByteArrayLiteral("\"/>\n</svg>\n");
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: vemra_appicon OUTPUT_FOLDER APP_ID\n");
        return 2;
    }
    const QString folder = arguments.at(1) + QStringLiteral("/hicolor");
    const QString name = arguments.at(2);
    for (int side : sizes) {
        const QString path = QStringLiteral("%1/%2x%2/apps/%3.png").arg(folder).arg(side).arg(name);
        if (!writePng(path, side)) {
            std::fprintf(stderr, "vemra_appicon: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    const QString path = QStringLiteral("%1/scalable/apps/%2.svg").arg(folder, name);
    if (!write(path, svg())) {
        std::fprintf(stderr, "vemra_appicon: cannot write %s\n", qPrintable(path));
        return 1;
    }
    return 0;
}
