#include "Views/Settings/SettingsPanePlaceholder.h"

#include "Components/Controls/ToneLabel.h"
#include "Services/HotKeys/HotKeys.h"
#include "Views/Settings/SettingsForm.h"
#include "Views/Settings/ShortcutRows.h"

#include <QVBoxLayout>

SettingsPanePlaceholder::SettingsPanePlaceholder(SettingsPane pane, HotKeys &hotKeys, QWidget *parent)
    : QWidget(parent)
    , m_pane(pane)
{
    setFixedWidth(SettingsForm::paneWidth);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 20);
    if (pane == SettingsPane::Focus) {
        m_shortcutRows = new ShortcutRows(*hotKeys.focus(), this);
        column->addWidget(m_shortcutRows);
        return;
    }
    auto *title = new ToneLabel(SettingsPanes::title(pane), Theme::secondary, this);
    title->setAlignment(Qt::AlignCenter);
    title->setMinimumHeight(100);
    column->addWidget(title);
}
