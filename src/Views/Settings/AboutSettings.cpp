#include "Views/Settings/AboutSettings.h"

#include "Components/Controls/ToneLabel.h"
#include "Components/Controls/VemraBadge.h"
#include "Services/Updates/Updater.h"
#include "Views/Settings/SettingsForm.h"

#include <QVBoxLayout>

namespace {

constexpr int badgeSize = 64;
constexpr int verticalMargin = 36;

ToneLabel *line(const QString &text, Theme::Tone tone, int pixelSize, QFont::Weight weight, QWidget *parent)
{
    auto *label = new ToneLabel(text, tone, parent);
    label->setPixelFont(pixelSize, weight);
    label->setAlignment(Qt::AlignHCenter);
    label->setWordWrap(true);
    return label;
}

} // namespace

AboutSettings::AboutSettings(QWidget *parent)
    : QWidget(parent)
{
    setFixedWidth(SettingsForm::paneWidth);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, verticalMargin, 0, verticalMargin);
    column->setSpacing(4);
    column->addWidget(new VemraBadge(badgeSize, this), 0, Qt::AlignHCenter);
    column->addSpacing(12);
    column->addWidget(line(QStringLiteral("Vemra"), Theme::primary, 22, QFont::DemiBold, this));
    column->addWidget(line(QStringLiteral("Offline todo for myself."), Theme::secondary, 13, QFont::Normal, this));
    column->addSpacing(10);
    m_version = line(QStringLiteral("Version %1").arg(Updater::version()), Theme::tertiary, 12, QFont::Normal, this);
    column->addWidget(m_version);
    column->addSpacing(14);
    column->addWidget(line(QStringLiteral("Your todos and clipboard, stored locally on your computer."),
        Theme::secondary, 12, QFont::Normal, this));
}
