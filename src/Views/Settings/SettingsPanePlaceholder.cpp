#include "Views/Settings/SettingsPanePlaceholder.h"

#include "Components/Controls/ToneLabel.h"
#include "Views/Settings/SettingsForm.h"

#include <QVBoxLayout>

SettingsPanePlaceholder::SettingsPanePlaceholder(SettingsPane pane, QWidget *parent)
    : QWidget(parent)
{
    setFixedWidth(SettingsForm::paneWidth);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 20);
    auto *title = new ToneLabel(SettingsPanes::title(pane), Theme::secondary, this);
    title->setAlignment(Qt::AlignCenter);
    title->setMinimumHeight(100);
    column->addWidget(title);
}
