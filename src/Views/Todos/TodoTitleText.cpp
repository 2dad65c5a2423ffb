#include "Views/Todos/TodoTitleText.h"

#include "Components/Theme/SystemColors.h"
#include "Components/Theme/Theme.h"
#include "Components/Theme/Transition.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <QtMath>

#include <algorithm>
#include <array>

namespace {

constexpr qreal lineGap = 1;
// How much kerning may take off the sum of the characters' advances, at most.
constexpr qreal kerningSlack = 0.05;

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
    const QFont font = Densities::font(density);
    const QFontMetricsF metrics(font);
    const int limit = Densities::titleLineLimit(density);
    QStringList result;
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
            // The last line allowed takes the rest of the text, cut with an ellipsis.
            result.append(metrics.elidedText(text.mid(line.textStart()), Qt::ElideRight, qMax(1, width)));
            break;
        }
        result.append(text.mid(line.textStart(), line.textLength()));
    }
    layout.endLayout();
    if (result.isEmpty())
        result.append(QString());
    return result;
}

int TodoTitleText::lineCount(const QString &title, Density density, int width)
{
    const QFont font = Densities::font(density);
    // One pixel to spare keeps the wrapping's own rounding on the same side.
    const qreal room = width - 1;
    qreal advance = 0;
    const std::optional<qreal> estimate = plainAdvance(title, font);
    if (estimate && *estimate <= room)
        return 1;
    // Kerning only ever takes a little off the sum of the characters' advances; nearer than
    // that to the edge, the shaped text decides.
    if (estimate && *estimate * (1 - kerningSlack) > width)
        advance = *estimate;
    else
        advance = QFontMetricsF(font).horizontalAdvance(QString(title).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    if (advance <= room)
        return 1;
    // What does not fit on one line takes two at least; two is all the compact list shows.
    if (Densities::titleLineLimit(density) == 2)
        return 2;
    return int(lines(title, density, width).size());
}

std::optional<qreal> TodoTitleText::plainAdvance(const QString &title, const QFont &font)
{
    // Most titles are plain ASCII: the sum of the characters' advances, from a table made once
    // per font, settles nearly all of them without shaping the text.
    struct Table
    {
        QFont font;
        std::array<qreal, 128> advances {};
    };
    static QList<Table> tables;
    auto table = std::find_if(tables.begin(), tables.end(), [&font](const Table &t) { return t.font == font; });
    if (table == tables.end()) {
        Table made { font, {} };
        const QFontMetricsF metrics(font);
        for (char16_t c = 0x20; c < 0x7F; ++c)
            made.advances[c] = metrics.horizontalAdvance(QChar(c));
        tables.append(made);
        table = std::prev(tables.end());
    }
    qreal sum = 0;
    for (const QChar c : title) {
        const char16_t code = c.unicode();
        if (code < 0x20 || code >= 0x7F)
            return std::nullopt;
        sum += table->advances[code];
    }
    return sum;
}

int TodoTitleText::heightFor(const QString &title, bool overdue, Density density, int width)
{
    const QFontMetricsF metrics(Densities::font(density));
    qreal height = qreal(lineCount(title, density, width)) * metrics.lineSpacing();
    if (overdue)
        height += lineGap + QFontMetricsF(Densities::font(density, -2)).lineSpacing();
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
    const QColor colour
        = SystemColors::mix(Theme::color(Theme::primary, pal), Theme::color(Theme::secondary, pal), done);
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
        p.setPen(SystemColors::mix(Theme::color(Theme::Ink::Red, pal), Theme::color(Theme::secondary, pal), done));
        p.drawText(QPointF(0, y + lineGap + QFontMetricsF(small).ascent()), m_overdue);
    }
}
