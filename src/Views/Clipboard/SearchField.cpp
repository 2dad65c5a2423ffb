#include "Views/Clipboard/SearchField.h"

#include "Components/Controls/AppearTransition.h"
#include "Components/Controls/IconButton.h"
#include "Components/Controls/SymbolIcon.h"
#include "Components/Theme/Theme.h"
#include "Components/Theme/Transition.h"
#include "Services/Clipboard/ClipboardTabState.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>

namespace {

// The clear button fades in with the first letter and out with the last.
constexpr int clearFadeDuration = 120;

} // namespace

SearchField::SearchField(Density density, QWidget *parent)
    : QWidget(parent)
    , m_density(density)
    , m_glass(new SymbolIcon(
          QStringLiteral("magnifyingglass"), int(Densities::fontSize(density)) - 1, Theme::secondary, this))
    , m_field(new QLineEdit(this))
    , m_clear(new IconButton(QStringLiteral("xmark.circle.fill"), this))
    , m_outline(new Transition(this, 150, QEasingCurve::OutQuad))
{
    const int vertical = int(Densities::inputVerticalPadding(density));
    // Never squeezed: while the panel grows back from a shorter page, what lies under the field
    // (the rows) would first rise and then slide down into place.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(11, vertical, 6, vertical);
    row->setSpacing(8);

    const int symbolSize = int(Densities::fontSize(density)) - 1;
    row->addWidget(m_glass);

    m_field->setFrame(false);
    // A pasted document is cut before the field lays it out; the tab searches no more anyway.
    m_field->setMaxLength(ClipboardTabState::maxQueryLength);
    m_field->setFont(Densities::font(density));
    m_field->setPlaceholderText(QStringLiteral("Search clipboard"));
    m_field->setAccessibleName(QStringLiteral("Search clipboard"));
    QPalette fieldPalette = m_field->palette();
    fieldPalette.setColor(QPalette::Base, Qt::transparent);
    m_field->setPalette(fieldPalette);
    m_field->installEventFilter(this);
    m_field->setMinimumHeight(22 - 2 * vertical > 0 ? 22 - 2 * vertical : 0);
    row->addWidget(m_field, 1);

    m_clear->setFixedSize(22, 22);
    m_clear->setSymbolSize(symbolSize);
    m_clear->setTone(IconButton::Tone::Tertiary);
    m_clear->setToolTip(QStringLiteral("Clear search"));
    m_clear->setAccessibleName(QStringLiteral("Clear search"));
    m_clear->hide();
    row->addWidget(m_clear);

    m_clearMotion = new AppearTransition(m_clear, { .durationMs = clearFadeDuration, .curve = QEasingCurve::OutQuad });
    connect(m_field, &QLineEdit::textEdited, this, [this](const QString &text) {
        refresh();
        Q_EMIT textEdited(text);
    });
    connect(m_clear, &IconButton::clicked, this, [this] {
        m_field->clear();
        refresh();
        Q_EMIT textEdited(QString());
    });
    refresh();
}

QString SearchField::text() const
{
    return m_field->text();
}

void SearchField::setText(const QString &text)
{
    if (m_field->text() != text)
        m_field->setText(text);
    refresh();
}

void SearchField::setActive(bool active)
{
    m_active = active;
    m_outline->setOn(isHighlighted());
}

bool SearchField::isHighlighted() const
{
    return m_active && m_field->hasFocus();
}

void SearchField::focusField()
{
    // A hidden field given the focus would take it back when its window next shows, and with it
    // the keys typed into the tab that is shown then.
    if (!m_field->isVisible())
        return;
    m_field->setFocus(Qt::OtherFocusReason);
}

void SearchField::refresh()
{
    m_clearMotion->setShown(!m_field->text().isEmpty());
}

bool SearchField::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field) {
        switch (event->type()) {
        case QEvent::KeyPress: {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
                Q_EMIT escapePressed();
                return true;
            }
            break;
        }
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            m_outline->setOn(isHighlighted());
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SearchField::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal radius = Theme::fieldRadius(m_density);
    const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath shape;
    shape.addRoundedRect(bounds, radius, radius);
    const QPalette &pal = palette();
    painter.fillPath(shape, Theme::color(Theme::fieldFill, pal));
    const QColor edge
        = Theme::mix(Theme::color(Theme::fieldEdge, pal), Theme::color(Theme::focusRing, pal), m_outline->value());
    painter.setPen(QPen(edge, 1));
    painter.drawPath(shape);
}
