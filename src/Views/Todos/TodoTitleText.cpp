#include "Views/Todos/TodoTitleText.h"

#include "Components/Theme/SystemColors.h"
#include "Components/Theme/Theme.h"
#include "Components/Theme/Transition.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <QtMath>

namespace {

constexpr qreal lineGap = 1;

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
    QString text = m_title;
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QFont font = Densities::font(m_density);
    const QFontMetricsF metrics(font);
    const int limit = Densities::titleLineLimit(m_density);
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
    m_cachedWidth = width;
    m_cachedLines = result;
    return result;
}

int TodoTitleText::heightForWidth(int width) const
{
    const qreal lineHeight = QFontMetricsF(Densities::font(m_density)).lineSpacing();
    qreal height = lines(width).size() * lineHeight;
    if (!m_overdue.isEmpty())
        height += lineGap + QFontMetricsF(overdueFont()).lineSpacing();
    return qCeil(height);
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
