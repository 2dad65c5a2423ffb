#include "Views/Clipboard/ClipboardRowDelegate.h"

#include "Components/Theme/Symbols.h"
#include "Components/Theme/Theme.h"
#include "Components/Theme/Transition.h"
#include "Services/Clipboard/ClipboardListModel.h"
#include "Services/Clipboard/ClipboardRowText.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Clipboard/ClipboardTabState.h"
#include "Services/Clipboard/ImageLoader.h"
#include "Services/Shell/MotionPreference.h"
#include "Views/Clipboard/ClipboardThumbnail.h"

#include <QAbstractItemView>
#include <QFontDatabase>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QPointer>
#include <QTextLayout>

#include <utility>

namespace {

constexpr int sidePadding = 10;
constexpr int spacing = 10;
constexpr int actionSide = 22;
// Half the gap between rows, above and below each.
constexpr int gap = 1;
// Rows remembered by the layout caches before they start afresh: many pages' worth.
constexpr qsizetype cacheLimit = 20000;

} // namespace

QList<QString> ClipboardRowDelegate::wrappedTitle(const QString &text, const QFont &font, qreal width, int lines)
{
    QString flat = text;
    flat.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(flat, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QList<QString> result;
    layout.beginLayout();
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        if (result.size() == lines - 1) {
            // The last line shows its own line of the text; more after it is told by the ellipsis.
            const qsizetype end = flat.indexOf(QChar::LineSeparator, line.textStart());
            QString last = flat.mid(line.textStart(), end < 0 ? -1 : end - line.textStart());
            if (end >= 0 && !flat.mid(end + 1).trimmed().isEmpty())
                last.append(QChar(0x2026));
            result.append(QFontMetricsF(font).elidedText(last, Qt::ElideRight, width));
            break;
        }
        result.append(flat.mid(line.textStart(), line.textLength()).remove(QChar::LineSeparator));
    }
    layout.endLayout();
    if (result.isEmpty())
        result.append(QString());
    return result;
}

namespace {

QPixmap symbolPixmap(const QString &symbol, int size, const QColor &color, qreal ratio)
{
    const QString key = QStringLiteral("clipsym:%1:%2:%3:%4").arg(symbol).arg(size).arg(color.rgba()).arg(ratio);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    pixmap = Symbols::pixmap(symbol, size, color, ratio);
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

} // namespace

struct ClipboardRowDelegate::Layout
{
    QRectF background;
    QRectF icon;
    QRectF text;
    QRectF picture;
    QRectF more;
    int titleLines = 1;
};

namespace {

// A row's "Copied" mark and its details cross-fade.
constexpr int copiedFadeDuration = 150;
constexpr int moreFadeDuration = 120;

} // namespace

ClipboardRowDelegate::ClipboardRowDelegate(
    ClipboardTabState &state, ImageLoader &images, Density density, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_state(state)
    , m_images(images)
    , m_density(density)
    , m_calendar(ClipboardCalendar::current())
    , m_titleFont(Densities::font(density))
    , m_codeFont(QFontDatabase::systemFont(QFontDatabase::FixedFont))
    , m_detailFont(Densities::font(density, -2))
    , m_symbolFont(Densities::font(density, -2, QFont::Medium))
{
    m_codeFont.setPixelSize(int(Densities::fontSize(density)) - 1);
    m_markFade.setDuration(copiedFadeDuration);
    m_markFade.setEasingCurve(QEasingCurve::OutQuad);
    m_markFade.setStartValue(0.0);
    m_markFade.setEndValue(1.0);
    connect(&m_markFade, &QVariantAnimation::valueChanged, this, &ClipboardRowDelegate::lookChanged);
    connect(&m_state, &ClipboardTabState::copiedChanged, this, &ClipboardRowDelegate::fadeCopiedMark);
    connect(&m_state, &ClipboardTabState::selectionChanged, this, &ClipboardRowDelegate::fadeMoreButtons);
}

void ClipboardRowDelegate::setHovered(const std::optional<QUuid> &id)
{
    if (id == m_hovered)
        return;
    m_hovered = id;
    fadeMoreButtons();
    // The fill moves at once.
    Q_EMIT lookChanged();
}

void ClipboardRowDelegate::fadeMoreButtons()
{
    auto *view = qobject_cast<QAbstractItemView *>(parent());
    if (!view)
        return;
    const std::optional<QUuid> selection = m_state.selection();
    for (auto fade = m_moreFades.begin(); fade != m_moreFades.end();) {
        const bool shows = fade.key() == m_hovered || fade.key() == selection;
        fade.value()->setOn(shows);
        // Gone for good: a button that shows again starts a new fade.
        if (!shows && fade.value()->value() <= 0) {
            delete fade.value();
            fade = m_moreFades.erase(fade);
        } else {
            ++fade;
        }
    }
    for (const std::optional<QUuid> &id : { m_hovered, selection }) {
        if (!id || m_moreFades.contains(*id))
            continue;
        auto *fade = new Transition(view->viewport(), moreFadeDuration, QEasingCurve::OutQuad);
        m_moreFades.insert(*id, fade);
        fade->setOn(true);
    }
}

qreal ClipboardRowDelegate::moreButtonOpacity(const QUuid &id) const
{
    const Transition *fade = m_moreFades.value(id);
    return fade ? fade->value() : 0;
}

void ClipboardRowDelegate::fadeCopiedMark()
{
    const std::optional<QUuid> copied = m_state.copiedID();
    if (copied == m_marked)
        return;
    m_unmarked = std::exchange(m_marked, copied);
    m_markFade.stop();
    const auto *view = qobject_cast<const QWidget *>(parent());
    if (MotionPreference::reducesMotion() || !view || !view->isVisible()) {
        m_markFade.setCurrentTime(m_markFade.duration());
        Q_EMIT lookChanged();
        return;
    }
    m_markFade.start();
}

qreal ClipboardRowDelegate::copiedMarkOpacity(const QUuid &id) const
{
    // The mark and the details cross-fade: in on the row just copied, out on the one before.
    const qreal progress = m_markFade.currentValue().isValid() ? m_markFade.currentValue().toReal() : 1.0;
    if (m_marked == id)
        return progress;
    if (m_unmarked == id)
        return 1 - progress;
    return 0;
}

QIcon ClipboardRowDelegate::fileIcon(const QString &path)
{
    const QIcon fallback = QIcon::fromTheme(QStringLiteral("application-octet-stream"));
    return QIcon::fromTheme(
        ClipboardRowText::fileIconName(path), QIcon::fromTheme(ClipboardRowText::fileGenericIconName(path), fallback));
}

QRect ClipboardRowDelegate::moreButtonRect(const QRect &rowRect) const
{
    const qreal line = Densities::lineHeight(m_density);
    const int top = rowRect.top() + gap + int(Densities::rowVerticalPadding(m_density)) + int((line - actionSide) / 2);
    return { rowRect.right() - sidePadding - actionSide + 1, top, actionSide, actionSide };
}

ClipboardRowDelegate::Layout ClipboardRowDelegate::layout(const ClipboardItem &item, const QRect &rect) const
{
    Layout l;
    l.background = QRectF(rect).adjusted(0, gap, 0, -gap);
    const qreal vertical = Densities::rowVerticalPadding(m_density);
    const QRectF inner = l.background.adjusted(sidePadding, vertical, -sidePadding, -vertical);
    const qreal line = Densities::lineHeight(m_density);
    const qreal slot = Densities::iconSize(m_density) - 2;
    l.icon = QRectF(inner.left(), inner.top(), slot, line);
    l.more = QRectF(inner.right() - actionSide, inner.top() + (line - actionSide) / 2, actionSide, actionSide);
    qreal right = inner.right() - actionSide - spacing;
    if (item.kind() == ClipboardKind::Image) {
        const qreal side = Densities::thumbnailSize(m_density);
        l.picture = QRectF(right - side, inner.top(), side, side);
        right = l.picture.left() - spacing;
    }
    l.text = QRectF(
        l.icon.right() + spacing, inner.top(), qMax<qreal>(1, right - l.icon.right() - spacing), inner.height());
    return l;
}

QSize ClipboardRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto *model = static_cast<const ClipboardListModel *>(index.model());
    const ClipboardItem &item = model->item(index.row());
    const int width = option.rect.width() > 0 ? option.rect.width() : 360;
    if (const auto cached = m_heights.constFind(item.id); cached != m_heights.constEnd() && cached->first == width)
        return { width, cached->second };

    const Layout l = layout(item, QRect(0, 0, width, 100));
    int lines = 1;
    const ClipboardKind kind = item.kind();
    if (kind == ClipboardKind::Text || kind == ClipboardKind::File || kind == ClipboardKind::Code) {
        const QFont &font = kind == ClipboardKind::Code ? m_codeFont : m_titleFont;
        lines = int(titleLines(item, font, l.text.width()).size());
    }
    const QFont &titleFont = kind == ClipboardKind::Code ? m_codeFont : m_titleFont;
    const qreal text = lines * QFontMetricsF(titleFont).lineSpacing() + 2 + QFontMetricsF(m_detailFont).lineSpacing();
    qreal content = qMax(text, Densities::lineHeight(m_density));
    if (kind == ClipboardKind::Image)
        content = qMax(content, Densities::thumbnailSize(m_density));
    const int height = qCeil(content + 2 * Densities::rowVerticalPadding(m_density)) + 2 * gap;
    if (m_heights.size() > cacheLimit)
        m_heights.clear();
    m_heights.insert(item.id, { width, height });
    return { width, height };
}

const QList<QString> &ClipboardRowDelegate::titleLines(const ClipboardItem &item, const QFont &font, qreal width) const
{
    // A title is laid out once per width; scrolling only draws the lines.
    auto cached = m_titles.find(item.id);
    if (cached != m_titles.end() && qFuzzyCompare(cached->width, width))
        return cached->lines;
    if (m_titles.size() > cacheLimit)
        m_titles.clear();
    cached = m_titles.insert(
        item.id, { width, wrappedTitle(item.title(), font, width, Densities::clipboardLineLimit(m_density)) });
    return cached->lines;
}

bool ClipboardRowDelegate::hasPicture(const ClipboardItem &item) const
{
    QPixmap pixmap;
    return item.thumbnailPath && QPixmapCache::find(pictureKey(*item.thumbnailPath), &pixmap);
}

QString ClipboardRowDelegate::pictureKey(const QString &path) const
{
    return QStringLiteral("clipthumb:") + path + QLatin1Char('#')
        + QString::number(Densities::thumbnailSize(m_density));
}

void ClipboardRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto *model = static_cast<const ClipboardListModel *>(index.model());
    const ClipboardItem &item = model->item(index.row());
    const Layout l = layout(item, option.rect);
    const QPalette &pal = option.palette;
    const bool selected = m_state.selection() == item.id;
    // The list's own idea of the row under the pointer stays with a row that moved away from it.
    const bool hovered = m_hovered == item.id;
    const qreal ratio = painter->device()->devicePixelRatioF();

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (selected || hovered) {
        const QColor fill = Theme::color(selected ? Theme::selectedFill : Theme::hoverFill, pal);
        const qreal radius = Densities::cornerRadius(m_density);
        painter->setPen(Qt::NoPen);
        painter->setBrush(fill);
        painter->drawRoundedRect(l.background, radius, radius);
    }

    // The leading icon.
    const ClipboardKind kind = item.kind();
    if (kind == ClipboardKind::File) {
        const QStringList paths = item.filePaths();
        const int side = int(Densities::iconSize(m_density));
        const QRect box(int(l.icon.center().x() - side / 2.0), int(l.icon.center().y() - side / 2.0), side, side);
        fileIcon(paths.isEmpty() ? QString() : paths.first()).paint(painter, box);
    } else {
        const QColor color = Theme::color(kind == ClipboardKind::Url ? Theme::accent : Theme::secondary, pal);
        const int size = m_symbolFont.pixelSize();
        const QPixmap symbol = symbolPixmap(ClipboardKinds::systemImage(kind), size, color, ratio);
        painter->drawPixmap(QPointF(l.icon.center().x() - size / 2.0, l.icon.center().y() - size / 2.0), symbol);
    }

    // The title.
    const QColor primary = Theme::color(Theme::primary, pal);
    const QColor secondary = Theme::color(Theme::secondary, pal);
    qreal y = l.text.top();
    painter->setPen(primary);
    if (kind == ClipboardKind::Image) {
        painter->setFont(m_titleFont);
        const QFontMetricsF metrics(m_titleFont);
        const QString word = ClipboardKinds::name(kind);
        painter->drawText(QPointF(l.text.left(), y + metrics.ascent()), word);
        if (const std::optional<QString> dimensions = item.dimensions()) {
            painter->setPen(secondary);
            painter->drawText(
                QPointF(l.text.left() + metrics.horizontalAdvance(word + QStringLiteral("  ")), y + metrics.ascent()),
                metrics.elidedText(*dimensions, Qt::ElideRight, l.text.width() - metrics.horizontalAdvance(word)));
        }
        y += metrics.lineSpacing();
    } else if (kind == ClipboardKind::Url) {
        painter->setFont(m_titleFont);
        const QFontMetricsF metrics(m_titleFont);
        painter->drawText(QPointF(l.text.left(), y + metrics.ascent()),
            metrics.elidedText(item.title(), Qt::ElideMiddle, l.text.width()));
        y += metrics.lineSpacing();
    } else {
        const QFont &font = kind == ClipboardKind::Code ? m_codeFont : m_titleFont;
        painter->setFont(font);
        const QFontMetricsF metrics(font);
        for (const QString &text : titleLines(item, font, l.text.width())) {
            painter->drawText(QPointF(l.text.left(), y + metrics.ascent()), text);
            y += metrics.lineSpacing();
        }
    }

    // The details, or the copied mark.
    y += 2;
    painter->setFont(m_detailFont);
    const QFontMetricsF detailMetrics(m_detailFont);
    const qreal mark = copiedMarkOpacity(item.id);
    const qreal opacity = painter->opacity();
    if (mark > 0) {
        const QColor accent = Theme::color(Theme::accent, pal);
        const int size = m_detailFont.pixelSize();
        painter->setOpacity(opacity * mark);
        painter->drawPixmap(QPointF(l.text.left(), y + (detailMetrics.height() - size) / 2),
            symbolPixmap(QStringLiteral("checkmark"), size, accent, ratio));
        painter->setPen(accent);
        painter->drawText(QPointF(l.text.left() + size + 4, y + detailMetrics.ascent()), QStringLiteral("Copied"));
    }
    if (mark < 1) {
        painter->setOpacity(opacity * (1 - mark));
        painter->setPen(secondary);
        const QString details
            = ClipboardRowText::details(item, model->now(), m_density == Density::Regular, m_calendar);
        painter->drawText(QPointF(l.text.left(), y + detailMetrics.ascent()),
            detailMetrics.elidedText(details, Qt::ElideRight, l.text.width()));
    }
    painter->setOpacity(opacity);

    if (kind == ClipboardKind::Image)
        paintPicture(painter, item, l.picture, const_cast<QWidget *>(option.widget));

    // The "More" button, on the row the pointer is over or the selected row.
    if (const qreal more = moreButtonOpacity(item.id); more > 0) {
        painter->setOpacity(opacity * more);
        painter->setPen(Qt::NoPen);
        painter->setBrush(Theme::color(Theme::rowButtonFill, pal));
        painter->drawEllipse(l.more);
        const int size = int(Densities::fontSize(m_density)) - 1;
        painter->drawPixmap(QPointF(l.more.center().x() - size / 2.0, l.more.center().y() - size / 2.0),
            symbolPixmap(QStringLiteral("ellipsis"), size, secondary, ratio));
    }
    painter->restore();
}

void ClipboardRowDelegate::paintPicture(
    QPainter *painter, const ClipboardItem &item, const QRectF &box, QWidget *view) const
{
    const qreal radius = ClipboardThumbnail::cornerRadius(box.width());
    const QPalette &pal = view ? view->palette() : QPalette();
    QPixmap pixmap;
    const QString key = item.thumbnailPath ? pictureKey(*item.thumbnailPath) : QString();
    if (!key.isEmpty() && QPixmapCache::find(key, &pixmap)) {
        painter->drawPixmap(box.topLeft(), pixmap);
        ClipboardThumbnail::paintEdge(*painter, box, pal);
        return;
    }
    // The placeholder, until the picture arrives (or for good, without one).
    ClipboardThumbnail::paintPlaceholder(*painter, box, pal, painter->device()->devicePixelRatioF());
    ClipboardThumbnail::paintEdge(*painter, box, pal);

    if (key.isEmpty() || m_loading.contains(key) || m_failed.contains(key) || !view)
        return;
    const std::optional<QString> file = m_state.store().filePath(*item.thumbnailPath);
    if (!file) {
        m_failed.insert(key, item.id);
        return;
    }
    m_loading.insert(key);
    const qreal ratio = view->devicePixelRatioF();
    const QSizeF side = box.size();
    const QUuid id = item.id;
    QPointer<QAbstractItemView> itemView = qobject_cast<QAbstractItemView *>(view);
    m_images.load(
        *file, int(side.width() * 2), view, [this, key, ratio, side, radius, id, itemView](const QImage &image) {
            m_loading.remove(key);
            if (image.isNull()) {
                m_failed.insert(key, id);
                return;
            }
            // Scaled to fill the square once, so a repaint only copies it.
            QPixmap shaped(QSize(qCeil(side.width() * ratio), qCeil(side.height() * ratio)));
            shaped.setDevicePixelRatio(ratio);
            shaped.fill(Qt::transparent);
            {
                QPainter p(&shaped);
                p.setRenderHint(QPainter::Antialiasing);
                p.setRenderHint(QPainter::SmoothPixmapTransform);
                QPainterPath clip;
                clip.addRoundedRect(QRectF(QPointF(), side), radius, radius);
                p.setClipPath(clip);
                const QSizeF fill = QSizeF(image.size()).scaled(side, Qt::KeepAspectRatioByExpanding);
                p.drawImage(
                    QRectF(QPointF((side.width() - fill.width()) / 2, (side.height() - fill.height()) / 2), fill),
                    image);
            }
            QPixmapCache::insert(key, shaped);
            if (itemView) {
                const int row = static_cast<const ClipboardListModel *>(itemView->model())->row(id);
                if (row >= 0)
                    itemView->update(itemView->model()->index(row, 0));
            }
        });
}

void ClipboardRowDelegate::forgetFailures(const std::function<bool(const QUuid &)> &shown)
{
    for (auto failed = m_failed.begin(); failed != m_failed.end();) {
        if (shown && shown(failed.value()))
            ++failed;
        else
            failed = m_failed.erase(failed);
    }
}
