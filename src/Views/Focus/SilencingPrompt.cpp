#include "Views/Focus/SilencingPrompt.h"

#include "Components/Controls/SymbolIcon.h"
#include "Components/Controls/TintedButton.h"
#include "Components/Controls/ToneLabel.h"
#include "Components/Theme/Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

constexpr int symbolSize = 14;

ToneLabel *textLabel(int pixelSize, QFont::Weight weight, Theme::Tone tone, QWidget *parent)
{
    auto *label = new ToneLabel(tone, parent);
    label->setPixelFont(pixelSize, weight);
    return label;
}

} // namespace

SilencingPrompt::SilencingPrompt(Density density, QWidget *parent)
    : QWidget(parent)
    , m_radius(density == Density::Compact ? 9 : 11)
    , m_symbol(new SymbolIcon(QStringLiteral("hand.raised.fill"), symbolSize, Theme::accent, this))
    , m_title(textLabel(12, QFont::DemiBold, Theme::primary, this))
    , m_detail(textLabel(11, QFont::Normal, Theme::secondary, this))
    , m_first(new TintedButton(QString(), { TintedButtonStyle::Tinted, 24, 12, false }, this))
    , m_startAnyway(
          new TintedButton(QStringLiteral("Start Timer Anyway"), { TintedButtonStyle::Gray, 24, 12, false }, this))
{
    auto *card = new QVBoxLayout(this);
    card->setContentsMargins(10, 10, 10, 10);
    card->setSpacing(8);

    auto *first = new QHBoxLayout;
    first->setSpacing(8);
    first->addWidget(m_symbol, 0, Qt::AlignTop);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    m_detail->setWordWrap(true);
    texts->addWidget(m_title);
    texts->addWidget(m_detail);
    first->addLayout(texts, 1);
    card->addLayout(first);

    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(22, 0, 0, 0);
    buttons->setSpacing(6);
    buttons->addWidget(m_first);
    buttons->addWidget(m_startAnyway);
    buttons->addStretch(1);
    card->addLayout(buttons);

    // No key of the tab answers the prompt, so Tab reaches its buttons and Space presses them.
    m_first->setFocusPolicy(Qt::TabFocus);
    m_startAnyway->setFocusPolicy(Qt::TabFocus);

    connect(m_first, &QAbstractButton::clicked, this, [this] {
        if (m_prompt.opensPermissions)
            Q_EMIT permissionsChosen();
        else
            Q_EMIT setUpChosen();
    });
    connect(m_startAnyway, &QAbstractButton::clicked, this, &SilencingPrompt::startAnywayChosen);
    setPrompt(FocusWording::prompt(std::nullopt));
}

void SilencingPrompt::setPrompt(const FocusWording::Prompt &prompt)
{
    m_prompt = prompt;
    m_title->setText(prompt.title);
    m_detail->setText(prompt.detail);
    m_first->setText(prompt.firstButton);
    m_first->updateGeometry();
}

void SilencingPrompt::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    Theme::paintPlate(painter, rect(), m_radius, Theme::color(Theme::segmentWash, palette()),
        Theme::color(Theme::hairline, palette()));
}
