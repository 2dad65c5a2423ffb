#include "Components/Theme/Density.h"

#include <QFontMetricsF>
#include <QGuiApplication>

#include <limits>

namespace Densities {

namespace {

qreal measuredLineHeight(Density d)
{
    return QFontMetricsF(font(d)).lineSpacing();
}

} // namespace

qreal lineHeight(Density d)
{
    static const qreal compact = measuredLineHeight(Density::Compact);
    static const qreal regular = measuredLineHeight(Density::Regular);
    return d == Density::Compact ? compact : regular;
}

QFont font(Density d, qreal sizeDelta, QFont::Weight weight)
{
    QFont f = QGuiApplication::font();
    f.setPixelSize(qRound(fontSize(d) + sizeDelta));
    f.setWeight(weight);
    return f;
}

int nextClipboardLimit(Density d, int currentLimit)
{
    const int page = clipboardPageSize(d);
    if (currentLimit < page)
        return page;
    if (currentLimit > std::numeric_limits<int>::max() - page)
        return std::numeric_limits<int>::max();
    return currentLimit + page;
}

} // namespace Densities
