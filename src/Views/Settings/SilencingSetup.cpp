#include "Views/Settings/SilencingSetup.h"

#include "Components/Controls/FolderPathField.h"
#include "Components/Controls/Plate.h"
#include "Components/Controls/SymbolIcon.h"
#include "Components/Controls/TintedButton.h"
#include "Components/Controls/ToneLabel.h"
#include "Models/Focus/FocusShortcut.h"
#include "Services/Focus/FocusSessionManager.h"
#include "Views/Settings/SettingsForm.h"
#include "Views/Settings/SettingsNote.h"
#include "Views/Settings/SilencingStatus.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

constexpr int statusTitlePixelSize = 13;
constexpr int detailPixelSize = 11;
constexpr int guideSpacing = 8;
constexpr int rowSpacing = 10;

} // namespace

SilencingSetup::SilencingSetup(FocusSessionManager &focus, FileRevealer &revealer, QWidget *parent)
    : QWidget(parent)
    , m_focus(focus)
    , m_revealer(revealer)
    , m_statusTitle(new ToneLabel(Theme::secondary, this))
    , m_statusDetail(new ToneLabel(Theme::secondary, this))
    , m_checkButton(SettingsForm::button({}, this))
    , m_guide(new QWidget(this))
    , m_openFolder(SettingsForm::button(QStringLiteral("Open Shortcuts Folder"), m_guide))
    , m_folderPath(new FolderPathField(focus.setupFolder(), QStringLiteral("Shortcuts folder"), m_guide))
    , m_folderProblem(new SettingsNote(m_guide))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(rowSpacing);

    // The status line: its symbol and title over the detail, the check button at the trailing edge.
    auto *status = new QHBoxLayout;
    status->setSpacing(16);
    auto *labels = new QVBoxLayout;
    labels->setSpacing(2);
    m_titleLine = new QHBoxLayout;
    m_titleLine->setSpacing(Theme::symbolSpacing + 2);
    m_statusTitle->setPixelFont(statusTitlePixelSize);
    m_titleLine->addWidget(m_statusTitle, 1);
    labels->addLayout(m_titleLine);
    m_statusDetail->setPixelFont(detailPixelSize);
    m_statusDetail->setWordWrap(true);
    labels->addWidget(m_statusDetail);
    status->addLayout(labels, 1);
    status->addWidget(m_checkButton, 0, Qt::AlignVCenter);
    column->addLayout(status);

    auto *guideColumn = new QVBoxLayout(m_guide);
    guideColumn->setContentsMargins(0, 0, 0, 0);
    guideColumn->setSpacing(guideSpacing);
    guideColumn->addWidget(Plate::divider(m_guide));
    auto *intro = new ToneLabel(
        QStringLiteral("In Vemra’s Shortcuts folder, make these three executable scripts, each doing one thing:"),
        Theme::primary, m_guide);
    intro->setWordWrap(true);
    guideColumn->addWidget(intro);
    int number = 1;
    for (FocusShortcut shortcut : FocusShortcuts::all) {
        auto *line = new QHBoxLayout;
        line->setSpacing(6);
        auto *digit = new ToneLabel(QString::number(number++) + QLatin1Char('.'), Theme::secondary, m_guide);
        line->addWidget(digit, 0, Qt::AlignTop);
        auto *text = new QLabel(m_guide);
        text->setTextFormat(Qt::RichText);
        text->setText(QStringLiteral("<b>%1</b>: %2")
                          .arg(FocusShortcuts::storedValue(shortcut).toHtmlEscaped(),
                              FocusShortcuts::action(shortcut).toHtmlEscaped()));
        text->setWordWrap(true);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        line->addWidget(text, 1);
        guideColumn->addLayout(line);
    }
    auto *then = new ToneLabel(QStringLiteral("Then click Check Setup."), Theme::secondary, m_guide);
    then->setWordWrap(true);
    guideColumn->addWidget(then);
    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 2, 0, 0);
    buttons->setSpacing(8);
    buttons->addWidget(m_openFolder);
    buttons->addWidget(m_folderPath, 1);
    guideColumn->addLayout(buttons);
    guideColumn->addWidget(m_folderProblem);
    SettingsForm::styleAsFooter(m_guide);
    column->addWidget(m_guide);

    connect(m_checkButton, &QAbstractButton::clicked, this, [this] { check(true); });
    connect(m_openFolder, &QAbstractButton::clicked, this, &SilencingSetup::openFolder);
    connect(&m_focus, &FocusSessionManager::readinessChanged, this, &SilencingSetup::refresh);
    connect(&m_focus, &FocusSessionManager::readinessChecked, this, [this](int check) {
        if (!m_checking || check != m_check)
            return;
        m_checking = false;
        refresh();
    });
    refresh();
}

void SilencingSetup::check(bool asking)
{
    if (m_checking)
        return;
    m_checking = true;
    m_check = m_focus.checkReadiness(asking);
    refresh();
}

void SilencingSetup::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    check(false);
}

void SilencingSetup::refresh()
{
    const SilencingStatus status = SilencingStatus::of(m_focus.readiness());
    Theme::Tone ink = Theme::secondary;
    switch (status.look) {
    case SilencingStatus::Look::Ready:
        ink = Theme::ready;
        break;
    case SilencingStatus::Look::Checking:
        break;
    case SilencingStatus::Look::Problem:
        ink = Theme::warning;
        break;
    }
    if (!m_statusIcon || m_statusIcon->symbol() != status.symbol) {
        delete m_statusIcon;
        m_statusIcon = new SymbolIcon(status.symbol, statusTitlePixelSize + 2, ink, this);
        m_titleLine->insertWidget(0, m_statusIcon);
    }
    m_statusIcon->setTone(ink);
    m_statusTitle->setTone(ink);
    m_statusTitle->setText(status.title);
    m_statusDetail->setText(status.detail);
    m_checkButton->setText(m_checking ? QStringLiteral("Checking…") : QStringLiteral("Check Setup"));
    m_checkButton->setEnabled(!m_checking);
    m_guide->setVisible(!status.isReady());
}

void SilencingSetup::openFolder()
{
    const Result<bool> opened = m_focus.openSetupFolder(m_revealer);
    if (!opened) {
        m_folderProblem->setNote(SettingsNote::Tone::Problem, opened.error().description());
        return;
    }
    if (opened.value()) {
        m_folderProblem->setNote(SettingsNote::Tone::Information, {});
        return;
    }
    m_folderProblem->handOver(*m_folderPath);
}
