#include "Views/Clipboard/ClipboardNotice.h"

#include "Components/Controls/AppearTransition.h"
#include "Components/Controls/SymbolIcon.h"
#include "Components/Controls/TabChain.h"
#include "Components/Controls/TintedButton.h"
#include "Components/Controls/ToneLabel.h"
#include "Components/Theme/Theme.h"
#include "Services/Clipboard/ClipboardMonitor.h"
#include "Services/Clipboard/Relaunch.h"
#include "Services/Shell/Preferences.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

using namespace ClipboardNoticeContent;

namespace {

// The notice fades in when it has something to say and out when that is resolved.
constexpr int fadeDuration = 200;

} // namespace

ClipboardNotice::ClipboardNotice(Preferences &preferences, ClipboardMonitor &monitor, Density density,
    std::unique_ptr<Relaunch> relaunch, QWidget *parent)
    : QWidget(parent)
    , m_preferences(preferences)
    , m_monitor(monitor)
    , m_density(density)
    , m_relaunch(relaunch ? std::move(relaunch) : std::make_unique<Relaunch>())
    , m_symbolBox(new QWidget(this))
    , m_symbol(new SymbolIcon(QString(), int(Densities::fontSize(density)) - 2, Theme::secondary, m_symbolBox))
    , m_title(new QLabel(this))
    , m_detail(new ToneLabel(Theme::secondary, this))
    , m_buttonRow(new QWidget(this))
    , m_buttonLayout(new QHBoxLayout(m_buttonRow))
{
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(10, 8 + topInset(), 10, 8);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(3);
    grid->addWidget(m_symbolBox, 0, 0, Qt::AlignTop);
    grid->addWidget(m_title, 0, 1);
    grid->addWidget(m_detail, 1, 1);
    grid->addWidget(m_buttonRow, 2, 1, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);
    m_buttonLayout->setContentsMargins(0, 4, 0, 0);
    m_buttonLayout->setSpacing(6);

    m_title->setTextFormat(Qt::PlainText);
    m_detail->setTextFormat(Qt::PlainText);
    m_detail->setWordWrap(true);
    m_detail->setFont(Densities::font(density, -2));
    // The symbol sits centred on the title's first line.
    m_symbolBox->setFixedHeight(int(Densities::lineHeight(density)) - 2);
    auto *symbolLayout = new QVBoxLayout(m_symbolBox);
    symbolLayout->setContentsMargins(0, 0, 0, 0);
    symbolLayout->addWidget(m_symbol, 0, Qt::AlignLeft | Qt::AlignVCenter);

    hide();
    m_motion = new AppearTransition(this, { .durationMs = fadeDuration });
    connect(&m_preferences, &Preferences::monitorsClipboardChanged, this, &ClipboardNotice::refresh);
    connect(&m_preferences, &Preferences::clipboardPausedChanged, this, &ClipboardNotice::refresh);
    connect(&m_monitor, &ClipboardMonitor::accessChanged, this, &ClipboardNotice::refresh);
    refresh();
}

ClipboardNotice::~ClipboardNotice() = default;

int ClipboardNotice::topInset() const
{
    return m_density == Density::Compact ? 8 : 12;
}

void ClipboardNotice::refresh()
{
    const ClipboardAccess access = m_monitor.access();
    m_reason
        = ClipboardNoticeContent::reason(m_preferences.monitorsClipboard(), m_preferences.isClipboardPaused(), access);
    // A button pressed from the keyboard that goes away leaves the focus with the new form's
    // first button, or with the control before the notice.
    const QWidget *focused = QApplication::focusWidget();
    const bool hadFocus = focused && m_buttonRow->isAncestorOf(focused);
    // Going, it fades out as it was.
    m_motion->setShown(m_reason.has_value());
    if (!m_reason) {
        if (hadFocus)
            TabChain::focusBefore(this);
        return;
    }
    const Content shown = content(*m_reason);

    QFont title = Densities::font(m_density, -1, shown.isLine ? QFont::Medium : QFont::DemiBold);
    m_title->setFont(title);
    m_title->setText(shown.title);
    m_detail->setText(shown.detail);
    m_detail->setVisible(!shown.isLine);
    m_symbol->setSymbol(shown.symbol);
    m_symbol->setTone(shown.accentSymbol ? Theme::accent : Theme::secondary);

    // Later: the refresh may come from a click on one of them.
    for (TintedButton *button : std::as_const(m_buttons)) {
        button->hide();
        button->deleteLater();
    }
    m_buttons.clear();
    for (const Action action : shown.actions) {
        auto *button = new TintedButton(actionTitle(action), { TintedButtonStyle::Tinted, 22, 12 }, m_buttonRow);
        connect(button, &TintedButton::clicked, this, [this, action] { perform(action); });
        button->setFocusPolicy(Qt::TabFocus);
        m_buttonLayout->addWidget(button);
        m_buttons.append(button);
    }
    // Made after the window, they would come last in its Tab order.
    TabChain::insertAt(this, QList<QWidget *>(m_buttons.cbegin(), m_buttons.cend()));
    if (hadFocus && !m_buttons.isEmpty()) {
        // Shown now rather than on the layout's next turn, so that it can take the focus.
        m_buttons.first()->show();
        m_buttons.first()->setFocus(Qt::TabFocusReason);
    }
    // The line form keeps its button on the title's line, at the right.
    auto *grid = static_cast<QGridLayout *>(layout());
    grid->removeWidget(m_buttonRow);
    if (shown.isLine) {
        m_buttonLayout->setContentsMargins(0, 0, 0, 0);
        grid->addWidget(m_buttonRow, 0, 2, Qt::AlignRight | Qt::AlignVCenter);
        grid->setAlignment(m_symbolBox, Qt::AlignVCenter);
    } else {
        m_buttonLayout->setContentsMargins(0, 4, 0, 0);
        grid->addWidget(m_buttonRow, 2, 1, Qt::AlignLeft);
        grid->setAlignment(m_symbolBox, Qt::AlignTop);
    }
}

void ClipboardNotice::perform(Action action)
{
    switch (action) {
    case Action::TurnOn:
        m_preferences.setMonitorsClipboard(true);
        break;
    case Action::Resume:
        m_preferences.setClipboardPaused(false);
        break;
    case Action::Allow:
        m_monitor.requestAccess();
        break;
    case Action::Reopen:
        m_relaunch->now();
        break;
    }
    refresh();
}

void ClipboardNotice::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal radius = m_density == Density::Compact ? 9 : 11;
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(0.5, topInset() + 0.5, -0.5, -0.5), radius, radius);
    painter.fillPath(shape, Theme::color(Theme::insetFill, palette()));
    painter.setPen(QPen(Theme::color(Theme::hairline, palette()), Theme::lineWidth));
    painter.drawPath(shape);
}
