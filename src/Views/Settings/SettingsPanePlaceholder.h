#pragma once

#include "Models/Shell/SettingsPane.h"
#include "Services/Shell/Environment.h"

#include <QWidget>

class QLabel;
class ShortcutRows;

// Stands in for a settings pane until the pane itself exists: the pane's title, and on the
// General pane the two global shortcut rows, so shortcuts can be recorded already. As wide as
// every pane; as tall as its content.
class SettingsPanePlaceholder final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int paneWidth = 520;

    SettingsPanePlaceholder(SettingsPane pane, const Environment &environment, QWidget *parent = nullptr);

    SettingsPane pane() const { return m_pane; }
    QString title() const;
    // The shortcut rows on the General pane (null on the others, or without hot keys).
    ShortcutRows *shortcutRows() const { return m_shortcutRows; }

private:
    SettingsPane m_pane;
    QLabel *m_title = nullptr;
    ShortcutRows *m_shortcutRows = nullptr;
};
