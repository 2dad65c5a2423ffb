#include "Views/Focus/ActiveFocus.h"

#include "Components/Controls/TintedButton.h"
#include "Components/Controls/ToneLabel.h"
#include "Models/Focus/FocusClock.h"
#include "Models/Focus/FocusDuration.h"
#include "Models/Focus/FocusWording.h"
#include "Services/Focus/FocusSessionManager.h"
#include "Services/Shell/Surface.h"
#include "Views/Focus/ClockFit.h"
#include "Views/Focus/FocusLabel.h"
#include "Views/Focus/FocusRing.h"
#include "Views/Focus/FocusSpinner.h"
#include "Views/Focus/LinkButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

struct Sizes
{
    int spacing, topPadding, ring, ringSpacing, caption, countdown, endsAt, length, lengthTop, status, statusTop;
    qreal buttonHeight, buttonFont;
    int buttonTop;
};

Sizes sizesFor(Density density)
{
    if (density == Density::Compact)
        return { 4, 10, 196, 2, 10, 44, 11, 12, 6, 12, 2, 28, 12, 12 };
    return { 8, 0, 272, 4, 11, 60, 12, 13, 10, 13, 6, 32, 13, 20 };
}

// The space left and right of the ring's content.
constexpr int ringPadding = 18;

ToneLabel *makeLabel(int pixelSize, QFont::Weight weight, Theme::Tone tone, QWidget *parent)
{
    auto *label = new ToneLabel(tone, parent);
    label->setPixelFont(pixelSize, weight);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

ActiveFocus::ActiveFocus(FocusSessionManager &focus, Surface &surface, Density density, QWidget *parent)
    : QWidget(parent)
    , m_focus(focus)
    , m_surface(surface)
{
    const Sizes s = sizesFor(density);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, s.topPadding, 0, 0);
    column->setSpacing(s.spacing);
    column->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    m_ring = new FocusRing(s.ring, this);
    auto *inside = static_cast<QVBoxLayout *>(m_ring->layout());
    inside->setSpacing(s.ringSpacing);
    inside->setContentsMargins(ringPadding, 0, ringPadding, 0);
    m_caption = makeLabel(s.caption, QFont::DemiBold, Theme::secondary, m_ring);
    QFont captionFont = m_caption->font();
    captionFont.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    m_caption->setFont(captionFont);
    m_caption->setText(QStringLiteral("FOCUSING"));
    m_countdownSize = s.countdown;
    m_countdown = makeLabel(s.countdown, QFont::Light, Theme::primary, m_ring);
    m_endsAt = makeLabel(s.endsAt, QFont::Normal, Theme::secondary, m_ring);
    inside->addWidget(m_caption);
    inside->addWidget(m_countdown);
    inside->addWidget(m_endsAt);
    column->addWidget(m_ring, 0, Qt::AlignHCenter);

    m_length = makeLabel(s.length, QFont::Normal, Theme::secondary, this);
    column->addSpacing(s.lengthTop);
    column->addWidget(m_length);

    // The line about notifications: a spinner while pending, a link to the setup on failure.
    auto *statusBox = new QWidget(this);
    auto *statusColumn = new QVBoxLayout(statusBox);
    statusColumn->setContentsMargins(0, 0, 0, 0);
    statusColumn->setSpacing(4);
    auto *statusRow = new QHBoxLayout;
    statusRow->setSpacing(6);
    statusRow->addStretch(1);
    m_spinner = new FocusSpinner(s.status, statusBox);
    m_status = new FocusLabel(s.status, QFont::Normal, statusBox);
    statusRow->addWidget(m_spinner);
    statusRow->addWidget(m_status);
    statusRow->addStretch(1);
    statusColumn->addLayout(statusRow);
    m_checkSetup = new LinkButton(QStringLiteral("Check Setup"), 11, statusBox);
    statusColumn->addWidget(m_checkSetup, 0, Qt::AlignHCenter);
    column->addSpacing(s.statusTop);
    column->addWidget(statusBox);
    connect(m_checkSetup, &QAbstractButton::clicked, this, [this] { m_surface.openSettings(SettingsPane::Focus); });

    m_end = new TintedButton(
        QStringLiteral("End Focus Session"), { TintedButtonStyle::Gray, s.buttonHeight, s.buttonFont, false }, this);
    m_end->setToolTip(QStringLiteral("Ends now. Notifications go back to how they were."));
    m_end->setAccessibleName(QStringLiteral("End focus session"));
    // No key of the tab ends a session: Tab reaches the button and Space presses it.
    m_end->setFocusPolicy(Qt::TabFocus);
    column->addSpacing(s.buttonTop);
    column->addWidget(m_end, 0, Qt::AlignHCenter);
    connect(m_end, &QAbstractButton::clicked, this, [this] { m_focus.end(); });

    connect(&m_focus, &FocusSessionManager::sessionChanged, this, &ActiveFocus::refresh);
    connect(&m_focus, &FocusSessionManager::nowChanged, this, &ActiveFocus::refreshClock);
    refresh();
}

void ActiveFocus::refresh()
{
    const std::optional<FocusSession> session = m_focus.activeSession();
    if (!session)
        return;
    m_endsAt->setText(QStringLiteral("ends at ") + FocusWording::shortTime(session->endsAt));
    m_length->setText(FocusDuration::name(session->minutes()));
    const FocusWording::StatusLine line = FocusWording::statusLine(session->silencing);
    m_status->setLine(line.line);
    m_status->setElides(session->silencing.kind() == FocusSilencing::Kind::AlreadyOn);
    m_spinner->setVisible(line.showsSpinner);
    m_checkSetup->setVisible(line.offersCheckSetup);
    refreshClock();
}

void ActiveFocus::refreshClock()
{
    const std::optional<FocusSession> session = m_focus.activeSession();
    if (!session)
        return;
    const double remaining = m_focus.remaining();
    const QString clock = FocusClock::text(remaining);
    // Ten hours and more take more room than the ring has at full size.
    QFont font = m_countdown->font();
    font.setPixelSize(ClockFit::pixelSize(font, m_countdownSize, clock, m_ring->contentWidth()));
    m_countdown->setFont(font);
    m_countdown->setText(clock);
    m_countdown->setAccessibleName(QStringLiteral("Focusing. ") + FocusClock::spoken(remaining));
    m_ring->setProgress(FocusWording::ringProgress(remaining, session->duration));
}
