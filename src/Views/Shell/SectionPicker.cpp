#include "Views/Shell/SectionPicker.h"

#include "Components/Controls/CapsuleButton.h"
#include "Components/Controls/PointingHandCursor.h"
#include "Components/Theme/Symbols.h"
#include "Components/Theme/Theme.h"
#include "Services/HotKeys/KeyPresses.h"
#include "Services/Shell/MotionPreference.h"
#include "Services/Shell/Surface.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace {

constexpr qreal trackPadding = 2;
constexpr qreal symbolSpacing = 5;

qreal segmentHeight(Density density)
{
    return density == Density::Compact ? 24 : 28;
}

// One tab's segment: its symbol and title over a hover wash; the selection capsule beneath it
// is the picker's.
class Segment final : public QAbstractButton
{
public:
    Segment(VemraTab tab, Density density, QWidget *parent)
        : QAbstractButton(parent)
        , m_tab(tab)
        , m_density(density)
    {
        setCheckable(true);
        setAutoExclusive(false);
        // Tab reaches each segment and Space or Return selects it; a click leaves the focus where it was.
        setFocusPolicy(Qt::TabFocus);
        setAttribute(Qt::WA_Hover);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        setFixedHeight(qRound(segmentHeight(density)));
        setText(VemraTabs::title(tab));
        setAccessibleName(VemraTabs::title(tab));
        setToolTip(QStringLiteral("%1 (Ctrl+%2)").arg(VemraTabs::title(tab)).arg(VemraTabs::shortcutNumber(tab)));
        PointingHandCursor::apply(this, [this] { return !isChecked(); });
    }

    VemraTab tab() const { return m_tab; }
    void setBusy(bool busy)
    {
        if (busy != m_busy) {
            m_busy = busy;
            update();
        }
    }

    QFont labelFont() const
    {
        QFont f = font();
        f.setPixelSize(m_density == Density::Compact ? 12 : 13);
        f.setWeight(QFont::Medium);
        return f;
    }

    QSize sizeHint() const override
    {
        const qreal symbol = labelFont().pixelSize();
        const qreal width = symbol + symbolSpacing + QFontMetricsF(labelFont()).horizontalAdvance(text()) + 20;
        return QSize(qCeil(width), qRound(segmentHeight(m_density)));
    }

protected:
    // A press on the selected segment must not unselect it.
    void nextCheckState() override { }

    bool hitButton(const QPoint &pos) const override
    {
        return Theme::capsule(QRectF(rect())).contains(QPointF(pos) + QPointF(0.5, 0.5));
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        const bool isReturn = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (isReturn && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && !event->isAutoRepeat()) {
            click();
            return;
        }
        QAbstractButton::keyPressEvent(event);
    }

    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::HoverEnter || event->type() == QEvent::HoverLeave) {
            m_hovered = event->type() == QEvent::HoverEnter;
            update();
        }
        return QAbstractButton::event(event);
    }

    void paintEvent(QPaintEvent *) override
    {
        const QPalette &pal = palette();
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF bounds = QRectF(rect());
        if (!isChecked() && m_hovered)
            painter.fillPath(Theme::capsule(bounds), Theme::color(Theme::segmentWash, pal));

        const QColor foreground = Theme::color(isChecked() ? Theme::primary : Theme::secondary, pal);
        const QFont font = labelFont();
        const int symbolSize = font.pixelSize();
        const qreal textWidth = QFontMetricsF(font).horizontalAdvance(text());
        qreal x = bounds.center().x() - (symbolSize + symbolSpacing + textWidth) / 2;
        const QColor symbolColor = m_busy ? Theme::color(Theme::accent, pal) : foreground;
        const QPixmap symbol
            = Symbols::pixmap(VemraTabs::systemImage(m_tab), symbolSize, symbolColor, devicePixelRatioF());
        painter.drawPixmap(QPointF(qRound(x), qRound(bounds.center().y() - symbolSize / 2.0)), symbol);
        x += symbolSize + symbolSpacing;
        painter.setFont(font);
        painter.setPen(foreground);
        painter.drawText(QRectF(x, 0, textWidth + 1, bounds.height()), Qt::AlignVCenter | Qt::AlignLeft, text());
        if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange))
            Theme::paintFocusRing(painter, bounds, -1, false, pal);
    }

private:
    VemraTab m_tab;
    Density m_density;
    bool m_hovered = false;
    bool m_busy = false;
};

} // namespace

SectionPicker::SectionPicker(Density density, QWidget *parent)
    : QWidget(parent)
    , m_density(density)
{
    setAccessibleName(QStringLiteral("Section"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(qRound(trackPadding), qRound(trackPadding), qRound(trackPadding), qRound(trackPadding));
    row->setSpacing(0);
    for (VemraTab tab : VemraTabs::all) {
        auto *segment = new Segment(tab, density, this);
        m_segments[std::size_t(tab)] = segment;
        row->addWidget(segment, 1);
        connect(segment, &QAbstractButton::clicked, this, [this, tab] { setSelection(tab); });
    }
    // Ahead of every widget of the window, whichever has the keyboard.
    qApp->installEventFilter(this);

    // The spring of the original motion settles without visible overshoot; an ease-out of the
    // same length reads the same.
    m_slide.setDuration(320);
    m_slide.setEasingCurve(QEasingCurve::OutCubic);
    connect(&m_slide, &QVariantAnimation::valueChanged, this, [this] { update(); });
    refreshSegments();
}

void SectionPicker::setSelection(VemraTab tab)
{
    if (tab == m_selection)
        return;
    const QRectF from
        = m_slide.state() == QAbstractAnimation::Running ? m_slide.currentValue().toRectF() : capsuleTarget();
    m_selection = tab;
    refreshSegments();
    m_slide.stop();
    if (isVisible() && !from.isEmpty() && !MotionPreference::reducesMotion()) {
        m_slide.setStartValue(from);
        m_slide.setEndValue(capsuleTarget());
        m_slide.start();
    }
    update();
    Q_EMIT selectionChanged(tab);
}

std::optional<VemraTab> SectionPicker::tabForKey(const QKeyEvent &event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    const std::optional<int> digit = KeyPresses::digitRowNumber(event);
    // Ctrl and the digit row's key, whatever the layout types there; with Shift too where the
    // layout needs it for the digit itself.
    const bool typesDigit = event.key() >= Qt::Key_0 && event.key() <= Qt::Key_9;
    if (!digit
        || (modifiers != Qt::ControlModifier
            && !(modifiers == (Qt::ControlModifier | Qt::ShiftModifier) && typesDigit)))
        return std::nullopt;
    for (VemraTab tab : VemraTabs::all) {
        if (VemraTabs::shortcutNumber(tab) == *digit)
            return tab;
    }
    return std::nullopt;
}

bool SectionPicker::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() && isVisible()
        && static_cast<QWidget *>(watched)->window() == window()) {
        if (const std::optional<VemraTab> tab = tabForKey(*static_cast<QKeyEvent *>(event))) {
            setSelection(*tab);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SectionPicker::bind(Surface *surface)
{
    if (!surface)
        return;
    setSelection(surface->tab());
    connect(surface, &Surface::tabChanged, this, &SectionPicker::setSelection);
    connect(this, &SectionPicker::selectionChanged, surface, &Surface::setTab);
}

void SectionPicker::setSessionActive(bool active)
{
    if (active == m_sessionActive)
        return;
    m_sessionActive = active;
    refreshSegments();
}

bool SectionPicker::isBusy(VemraTab tab) const
{
    return tab == VemraTab::Focus && m_sessionActive && m_selection != VemraTab::Focus;
}

QAbstractButton *SectionPicker::segment(VemraTab tab) const
{
    return m_segments[std::size_t(tab)];
}

QSize SectionPicker::sizeHint() const
{
    int width = 0;
    for (QAbstractButton *segment : m_segments)
        width = qMax(width, segment->sizeHint().width());
    return QSize(3 * width + 2 * qRound(trackPadding), qRound(segmentHeight(m_density) + 2 * trackPadding));
}

void SectionPicker::refreshSegments()
{
    for (QAbstractButton *button : m_segments) {
        auto *segment = static_cast<Segment *>(button);
        segment->setChecked(segment->tab() == m_selection);
        segment->setBusy(isBusy(segment->tab()));
        if (PointingHandCursor *hand = PointingHandCursor::of(segment))
            hand->refresh();
    }
}

QRectF SectionPicker::capsuleTarget() const
{
    return QRectF(segment(m_selection)->geometry());
}

void SectionPicker::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // A capsule on its way would aim at the old place.
    if (m_slide.state() == QAbstractAnimation::Running)
        m_slide.stop();
}

void SectionPicker::paintEvent(QPaintEvent *)
{
    const QPalette &pal = palette();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(Theme::capsule(QRectF(rect())), Theme::color(Theme::track, pal));

    const QRectF selected
        = m_slide.state() == QAbstractAnimation::Running ? m_slide.currentValue().toRectF() : capsuleTarget();
    if (selected.isEmpty())
        return;
    if (!Theme::isDark(pal)) {
        // A faint shadow half a pixel below, softened by one pixel.
        const QRectF shadow = selected.translated(0, 0.5);
        const QColor shade = Theme::color(Theme::segmentShadow, pal);
        painter.fillPath(Theme::capsule(shadow.adjusted(-0.5, -0.5, 0.5, 0.5)), shade);
        painter.fillPath(Theme::capsule(shadow), shade);
    }
    painter.fillPath(Theme::capsule(selected), Theme::color(Theme::selectedSegment(pal), pal));
}
