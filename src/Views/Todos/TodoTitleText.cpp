#include "Views/Todos/TodoTitleText.h"

#include "Components/Theme/Theme.h"
#include "Components/Theme/Transition.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QTextLayout>
#include <QtMath>

#include <algorithm>
#include <array>

namespace {

constexpr qreal lineGap = 1;

// What measuring a title needs of its fonts at one density. A list measures thousands of titles,
// and making a font and finding its metrics costs more than wrapping most titles; made again
// when the application's font changes.
struct Measures
{
    QFont base;
    QFont title;
    qreal lineSpacing = 0;
    qreal overdueLineSpacing = 0;
};

const Measures &measures(Density density)
{
    static std::array<std::optional<Measures>, 2> known;
    std::optional<Measures> &measures = known.at(density == Density::Compact ? 0 : 1);
    const QFont base = QGuiApplication::font();
    if (!measures || measures->base != base) {
        const QFont title = Densities::font(density);
        measures = Measures { base, title, QFontMetricsF(title).lineSpacing(),
            QFontMetricsF(Densities::font(density, -2)).lineSpacing() };
    }
    return *measures;
}

} // namespace

TodoTitleText::TodoTitleText(Density density, QWidget *parent)
    : QWidget(parent)
    , m_density(density)
    , m_doneLook(new Transition(this, 200, QEasingCurve::OutQuad))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

QFont TodoTitleText::titleFont() const
{
    return Densities::font(m_density);
}

QFont TodoTitleText::overdueFont() const
{
    return Densities::font(m_density, -2);
}

void TodoTitleText::setTitle(const QString &title)
{
    if (title == m_title)
        return;
    m_title = title;
    m_cachedWidth = -1;
    setAccessibleName(title);
    updateGeometry();
    update();
}

void TodoTitleText::setDone(bool done)
{
    if (done == m_done)
        return;
    m_done = done;
    if (isVisible())
        m_doneLook->setOn(done);
    else
        m_doneLook->jumpTo(done);
    update();
}

void TodoTitleText::setOverdueLabel(const QString &label)
{
    if (label == m_overdue)
        return;
    m_overdue = label;
    updateGeometry();
    update();
}

QStringList TodoTitleText::lines(int width) const
{
    if (width == m_cachedWidth)
        return m_cachedLines;
    m_cachedLines = lines(m_title, m_density, width);
    m_cachedWidth = width;
    return m_cachedLines;
}

QStringList TodoTitleText::lines(const QString &title, Density density, int width)
{
    QString text = title;
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QFont &font = measures(density).title;
    const QFontMetricsF metrics(font);
    const int limit = Densities::titleLineLimit(density);
    QStringList result;
    // The last line allowed takes the rest of the text, cut with an ellipsis.
    const auto lastLine
        = [&](qsizetype start) { return metrics.elidedText(text.mid(start), Qt::ElideRight, qMax(1, width)); };
    if (const std::optional<QList<qsizetype>> starts = plainWrap(text, font, width, limit)) {
        for (qsizetype i = 0; i < starts->size(); ++i) {
            const qsizetype start = starts->at(i);
            if (i == limit - 1)
                result.append(lastLine(start));
            else
                result.append(text.mid(start, (i + 1 < starts->size() ? starts->at(i + 1) : text.size()) - start));
        }
        return result;
    }
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    while (true) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(qMax(1, width));
        if (result.size() == limit - 1) {
            result.append(lastLine(line.textStart()));
            break;
        }
        result.append(text.mid(line.textStart(), line.textLength()));
    }
    layout.endLayout();
    if (result.isEmpty())
        result.append(QString());
    return result;
}

int TodoTitleText::lineCount(const QString &title, Density density, int width, qreal *oneLine)
{
    const QFont &font = measures(density).title;
    const int limit = Densities::titleLineLimit(density);
    QString text = title;
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (const std::optional<QList<qsizetype>> starts = plainWrap(text, font, width, limit, oneLine))
        return int(starts->size());
    if (oneLine)
        *oneLine = 0;
    return int(lines(title, density, width).size());
}

std::optional<QList<qsizetype>> TodoTitleText::plainWrap(
    const QString &text, const QFont &font, int width, int limit, qreal *oneLine)
{
    // Titles in the scripts whose letters keep their width whatever stands beside them are wrapped
    // on a table of advances made once per font, without shaping the text: measuring thousands
    // of rows then costs next to nothing, and the lines drawn are the lines measured.
    constexpr char16_t tableSize = 0x500;
    struct Table
    {
        QFont font;
        std::array<qreal, tableSize> advances {};
    };
    static QList<Table> tables;
    auto table = std::find_if(tables.begin(), tables.end(), [&font](const Table &t) { return t.font == font; });
    if (table == tables.end()) {
        tables.append(Table { font, {} });
        table = std::prev(tables.end());
        table->advances.fill(-1);
    }
    // Asked for only when a character is new to the table.
    std::optional<QFontMetricsF> metrics;
    const auto advance = [&](QChar c) -> std::optional<qreal> {
        const char16_t code = c.unicode();
        // Latin, Greek and Cyrillic letters, without controls and combining marks.
        if (code < 0x20 || (code >= 0x7F && code < 0xA0) || code >= tableSize || (code >= 0x300 && code < 0x370)
            || (code >= 0x483 && code < 0x48A))
            return std::nullopt;
        qreal &known = table->advances[code];
        if (known < 0) {
            if (!metrics)
                metrics.emplace(font);
            known = metrics->horizontalAdvance(c);
        }
        return known;
    };

    // Greedy, as a text layout wraps at word boundaries: a line ends after its last space that
    // fits, or anywhere in a word longer than the line; spaces at a line's end hang.
    QList<qsizetype> starts { 0 };
    const qsizetype count = text.size();
    qsizetype position = 0;
    qreal lastWidth = 0;
    while (starts.size() < limit) {
        qreal used = 0;
        qsizetype i = position;
        qsizetype afterSpace = -1;
        while (i < count) {
            const QChar c = text.at(i);
            const std::optional<qreal> w = advance(c);
            if (!w)
                return std::nullopt;
            if (c != QLatin1Char(' ') && i > position && used + *w > width)
                break;
            used += *w;
            ++i;
            if (c == QLatin1Char(' '))
                afterSpace = i;
        }
        if (i >= count) {
            lastWidth = used;
            break;
        }
        position = afterSpace > position ? afterSpace : i;
        starts.append(position);
    }
    if (oneLine)
        *oneLine = starts.size() == 1 ? lastWidth : 0;
    // Whatever follows is the last line's, cut with an ellipsis by the shaped text.
    return starts;
}

int TodoTitleText::heightFor(const QString &title, bool overdue, Density density, int width, qreal *oneLine)
{
    const Measures &fonts = measures(density);
    qreal height = qreal(lineCount(title, density, width, oneLine)) * fonts.lineSpacing;
    if (overdue)
        height += lineGap + fonts.overdueLineSpacing;
    return qCeil(height);
}

int TodoTitleText::heightForWidth(int width) const
{
    return heightFor(m_title, !m_overdue.isEmpty(), m_density, width);
}

QSize TodoTitleText::sizeHint() const
{
    const int width = 200;
    return { width, heightForWidth(width) };
}

void TodoTitleText::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QPalette pal = palette();
    const QFont font = titleFont();
    const QFontMetricsF metrics(font);
    p.setFont(font);
    const qreal done = m_doneLook->value();
    const QColor colour = Theme::mix(Theme::color(Theme::primary, pal), Theme::color(Theme::secondary, pal), done);
    p.setPen(colour);
    qreal y = 0;
    for (const QString &line : lines(width())) {
        p.drawText(QPointF(0, y + metrics.ascent()), line);
        if (done > 0) {
            // The strike-through fades in with the colour; drawn by hand so that it can.
            const qreal strikeY = y + metrics.ascent() - metrics.strikeOutPos();
            const qreal lineWidth = qMax<qreal>(1, metrics.lineWidth());
            p.fillRect(QRectF(0, strikeY - lineWidth / 2, metrics.horizontalAdvance(line), lineWidth),
                Theme::color(Theme::secondary.times(done), pal));
        }
        y += metrics.lineSpacing();
    }
    if (!m_overdue.isEmpty()) {
        const QFont small = overdueFont();
        p.setFont(small);
        p.setPen(Theme::mix(Theme::color(Theme::Ink::Red, pal), Theme::color(Theme::secondary, pal), done));
        p.drawText(QPointF(0, y + lineGap + QFontMetricsF(small).ascent()), m_overdue);
    }
}
