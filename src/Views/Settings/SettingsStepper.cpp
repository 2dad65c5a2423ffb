#include "Views/Settings/SettingsStepper.h"

#include "Components/Controls/ToneLabel.h"
#include "Components/Theme/Theme.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr int arrowWidth = 15;
constexpr int arrowHeight = 11;
constexpr int repeatDelayMs = 400;
constexpr int repeatIntervalMs = 80;

// One half of the arrow pair: a small chevron on its half of a rounded plate.
class StepArrow final : public QAbstractButton
{
public:
    StepArrow(bool up, QWidget *parent)
        : QAbstractButton(parent)
        , m_up(up)
    {
        setFixedSize(arrowWidth, arrowHeight);
        setFocusPolicy(Qt::NoFocus);
        setAutoRepeat(true);
        setAutoRepeatDelay(repeatDelayMs);
        setAutoRepeatInterval(repeatIntervalMs);
        setAccessibleName(up ? QStringLiteral("Increment") : QStringLiteral("Decrement"));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPalette &colors = palette();
        const QRectF plate
            = m_up ? QRectF(0.5, 0.5, width() - 1, height() + 4) : QRectF(0.5, -4.5, width() - 1, height() + 4);
        painter.setClipRect(rect());
        Theme::paintPlate(painter, plate, 4,
            Theme::color(isDown() ? Theme::grayFillHighlighted : Theme::grayFill, colors),
            Theme::color(Theme::hairline, colors));
        if (!isEnabled())
            painter.setOpacity(Theme::disabledOpacity);
        const qreal cx = width() / 2.0;
        const qreal cy = height() / 2.0 + (m_up ? 0.5 : -0.5);
        const qreal dy = m_up ? -1.5 : 1.5;
        QPainterPath chevron;
        chevron.moveTo(cx - 3, cy - dy);
        chevron.lineTo(cx, cy + dy);
        chevron.lineTo(cx + 3, cy - dy);
        painter.setPen(QPen(Theme::color(Theme::primary, colors), 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(chevron);
    }

private:
    bool m_up;
};

} // namespace

SettingsStepper::SettingsStepper(int minimum, int maximum, QWidget *parent)
    : QWidget(parent)
    , m_minimum(minimum)
    , m_maximum(maximum)
    , m_value(minimum)
    , m_text(new ToneLabel(QString(), Theme::primary, this))
    , m_up(new StepArrow(true, this))
    , m_down(new StepArrow(false, this))
{
    setFocusPolicy(Qt::TabFocus);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    row->addWidget(m_text, 0, Qt::AlignVCenter);
    auto *arrows = new QVBoxLayout;
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    arrows->addWidget(m_up);
    arrows->addWidget(m_down);
    row->addLayout(arrows);
    connect(m_up, &QAbstractButton::clicked, this, [this] { step(1); });
    connect(m_down, &QAbstractButton::clicked, this, [this] { step(-1); });
}

void SettingsStepper::setValue(int value, const QString &text)
{
    m_value = value;
    m_text->setText(text);
    m_up->setEnabled(value < m_maximum);
    m_down->setEnabled(value > m_minimum);
}

QString SettingsStepper::text() const
{
    return m_text->text();
}

void SettingsStepper::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Up)
        step(1);
    else if (event->key() == Qt::Key_Down)
        step(-1);
    else
        QWidget::keyPressEvent(event);
}

void SettingsStepper::step(int by)
{
    const int next = m_value + by;
    if (next >= m_minimum && next <= m_maximum)
        Q_EMIT stepRequested(next);
}
