#pragma once

#include "Models/Shell/SettingsPane.h"

#include <QWidget>

class HotKeys;
class QLabel;
class ShortcutRows;

// Stands in for a settings pane until the pane itself exists: the pane's title, and on the
// Focus pane the Focus shortcut row, so that shortcut can be recorded already. As wide as
// every pane; as tall as its content.
class SettingsPanePlaceholder final : public QWidget
{
    Q_OBJECT

public:
    SettingsPanePlaceholder(SettingsPane pane, HotKeys &hotKeys, QWidget *parent = nullptr);

    SettingsPane pane() const { return m_pane; }
    // The shortcut row on the Focus pane (null on the others).
    ShortcutRows *shortcutRows() const { return m_shortcutRows; }

private:
    SettingsPane m_pane;
    ShortcutRows *m_shortcutRows = nullptr;
};
