#include "Views/Settings/AppearancePicker.h"

#include "Components/Controls/PointingHandCursor.h"
#include "Components/Theme/Theme.h"
#include "Components/Theme/Transition.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QPainter>

namespace {

constexpr QSize thumbnailSize(68, 44);
constexpr qreal thumbnailRadius = 9;
constexpr int titleSpacing = 6;
constexpr int thumbnailTitlePixelSize = 11;
constexpr int buttonSpacing = 14;
constexpr int easeMs = 120;
constexpr qreal selectedRingWidth = 2.5;
// Room around the thumbnail for the keyboard's focus ring, drawn outside it.
constexpr int focusRingRoom = 3;

constexpr qreal cardInset = 8;
constexpr qreal barSpacing = 5;
constexpr qreal titleBarHeight = 8;
constexpr QSizeF lineBar(30, 4);
constexpr QSizeF longLineBar(40, 4);
constexpr qreal lineBarRadius = 2;

// One miniature window: the background, a capsule title bar and two lines of text, stacked
// from the top-leading corner.
void paintCard(QPainter &painter, const QRectF &frame, bool isDark)
{
    const Theme::Miniature colors = Theme::miniature(isDark);
    painter.fillRect(frame, colors.background);
    const qreal left = frame.left() + cardInset;
    qreal y = frame.top() + cardInset;
    const QRectF titleBar(left, y, frame.width() - 2 * cardInset, titleBarHeight);
    if (colors.barShadow.isValid())
        painter.fillPath(Theme::capsule(titleBar.translated(0, 0.5)), colors.barShadow);
    painter.fillPath(Theme::capsule(titleBar), colors.bar);
    y += titleBarHeight + barSpacing;
    painter.fillPath(Theme::rounded(QRectF(QPointF(left, y), lineBar), lineBarRadius), colors.line);
    y += lineBar.height() + barSpacing;
    painter.fillPath(Theme::rounded(QRectF(QPointF(left, y), longLineBar), lineBarRadius), colors.longLine);
}

void paintThumbnail(QPainter &painter, const QRectF &frame, Appearance appearance)
{
    painter.save();
    painter.setClipPath(Theme::rounded(frame, thumbnailRadius));
    paintCard(painter, frame, appearance == Appearance::Dark);
    if (appearance == Appearance::System) {
        // Light on the left half, dark on the right.
        QRectF right = frame;
        right.setLeft(frame.center().x());
        painter.setClipRect(right, Qt::IntersectClip);
        paintCard(painter, frame, true);
    }
    painter.restore();
}

class AppearanceButton final : public QAbstractButton
{
public:
    AppearanceButton(Appearance appearance, QWidget *parent)
        : QAbstractButton(parent)
        , m_appearance(appearance)
        , m_selected(new Transition(this, easeMs, QEasingCurve::OutQuad))
    {
        setText(Appearances::title(appearance));
        setAccessibleName(text());
        setCheckable(true);
        setFocusPolicy(Qt::TabFocus);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        connect(this, &QAbstractButton::toggled, this, [this](bool on) {
            if (isVisible())
                m_selected->setOn(on);
            else
                m_selected->jumpTo(on);
        });
        PointingHandCursor::apply(this, [this] { return !isChecked(); });
    }

    QSize sizeHint() const override
    {
        const QFontMetrics metrics(titleFont(true));
        return { qMax(thumbnailSize.width() + 2 * focusRingRoom, metrics.horizontalAdvance(text())),
            focusRingRoom + thumbnailSize.height() + titleSpacing + metrics.height() };
    }

protected:
    // The whole stack is the target, gaps included.
    bool hitButton(const QPoint &pos) const override { return rect().contains(pos); }

    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPalette &colors = palette();
        const qreal t = m_selected->value();
        const QRectF frame(QPointF((width() - thumbnailSize.width()) / 2.0, focusRingRoom), QSizeF(thumbnailSize));
        paintThumbnail(painter, frame, m_appearance);

        const qreal ringWidth = 1 + (selectedRingWidth - 1) * t;
        const QColor ring = Theme::mix(Theme::color(Theme::divider, colors), Theme::color(Theme::accent, colors), t);
        const qreal inset = ringWidth / 2;
        painter.setPen(QPen(ring, ringWidth));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(Theme::rounded(frame.adjusted(inset, inset, -inset, -inset), thumbnailRadius - inset));

        painter.setFont(titleFont(isChecked()));
        painter.setPen(Theme::mix(Theme::color(Theme::secondary, colors), Theme::color(Theme::primary, colors), t));
        const QRectF title(0, frame.bottom() + titleSpacing, width(), height() - frame.bottom() - titleSpacing);
        painter.drawText(title, Qt::AlignHCenter | Qt::AlignTop, text());
        if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
            const QRectF around = frame.adjusted(-focusRingRoom, -focusRingRoom, focusRingRoom, focusRingRoom);
            Theme::paintFocusRing(painter, around, thumbnailRadius + focusRingRoom, false, colors);
        }
    }

private:
    QFont titleFont(bool selected) const
    {
        QFont f = font();
        f.setPixelSize(thumbnailTitlePixelSize);
        f.setWeight(selected ? QFont::DemiBold : QFont::Normal);
        return f;
    }

    Appearance m_appearance;
    Transition *m_selected;
};

} // namespace

AppearancePicker::AppearancePicker(QWidget *parent)
    : QWidget(parent)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(buttonSpacing);
    for (size_t i = 0; i < Appearances::all.size(); ++i) {
        const Appearance appearance = Appearances::all[i];
        auto *button = new AppearanceButton(appearance, this);
        m_buttons[i] = button;
        row->addWidget(button, 0, Qt::AlignVCenter);
        connect(button, &QAbstractButton::clicked, this, [this, appearance] {
            // Clicking the chosen button keeps it chosen: the toggle is put back to what is shown.
            setSelection(m_selection);
            Q_EMIT selectionChanged(appearance);
        });
    }
    setSelection(Appearance::System);
}

void AppearancePicker::setSelection(Appearance appearance)
{
    m_selection = appearance;
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        m_buttons[i]->setChecked(Appearances::all[i] == appearance);
        if (auto *hand = PointingHandCursor::of(m_buttons[i]))
            hand->refresh();
    }
}

QAbstractButton *AppearancePicker::button(Appearance appearance) const
{
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        if (Appearances::all[i] == appearance)
            return m_buttons[i];
    }
    return nullptr;
}
