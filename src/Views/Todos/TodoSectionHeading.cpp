#include "Views/Todos/TodoSectionHeading.h"

#include "Components/Controls/PointingHandCursor.h"
#include "Components/Theme/Theme.h"
#include "Models/Todos/Days.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QtMath>

namespace {

constexpr int headingSideInset = 10;
constexpr int firstTopInset = 4;
constexpr int topInset = 12;
constexpr int bottomInset = 2;
constexpr int labelSpacing = 6;

} // namespace

TodoSectionHeading::TodoSectionHeading(const QDate &day, Density density, QWidget *parent)
    : QAbstractButton(parent)
    , m_day(day)
    , m_density(density)
    , m_today(day)
{
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleDescription(QStringLiteral("Heading"));
    m_hand = PointingHandCursor::apply(this, [this] { return m_filtered || m_day != m_today; });
}

void TodoSectionHeading::setState(const QDate &today, bool isFiltered, bool isFirst)
{
    if (today == m_today && isFiltered == m_filtered && isFirst == m_first)
        return;
    const bool heightChanges = isFirst != m_first;
    m_today = today;
    m_filtered = isFiltered;
    m_first = isFirst;
    const int distance = Days::distance(today, m_day);
    if (isFiltered)
        setToolTip(QStringLiteral("Show everything"));
    else if (distance != 0)
        setToolTip(QStringLiteral("Show only %1").arg(nameText()));
    else
        setToolTip(QString());
    setAccessibleName(nameText());
    m_hand->refresh();
    if (heightChanges)
        updateGeometry();
    update();
}

QString TodoSectionHeading::nameText() const
{
    return Days::name(m_day, m_today);
}

QString TodoSectionHeading::dateText() const
{
    const int distance = Days::distance(m_today, m_day);
    if (distance < 0 || distance > 6)
        return {};
    return QLocale().toString(m_day, QStringLiteral("MMM d"));
}

QSize TodoSectionHeading::sizeHint() const
{
    return { 200, heightFor(m_density, m_first) };
}

int TodoSectionHeading::heightFor(Density density, bool isFirst)
{
    const qreal line = QFontMetricsF(Densities::font(density, -2, QFont::DemiBold)).height();
    return qCeil(line) + (isFirst ? firstTopInset : topInset) + bottomInset;
}

void TodoSectionHeading::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QPalette pal = palette();
    const QFont nameFont = Densities::font(m_density, -2, QFont::DemiBold);
    const QFont dateFont = Densities::font(m_density, -2);
    const QFontMetricsF nameMetrics(nameFont);
    const qreal baseline = (m_first ? firstTopInset : topInset) + nameMetrics.ascent();
    p.setFont(nameFont);
    p.setPen(Theme::color(Theme::secondary, pal));
    const QString name = nameText();
    p.drawText(QPointF(headingSideInset, baseline), name);
    const QString date = dateText();
    if (!date.isEmpty()) {
        p.setFont(dateFont);
        p.setPen(Theme::color(Theme::tertiary, pal));
        p.drawText(QPointF(headingSideInset + nameMetrics.horizontalAdvance(name) + labelSpacing, baseline), date);
    }
}
