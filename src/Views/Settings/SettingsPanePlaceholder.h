#pragma once

#include "Models/Shell/SettingsPane.h"

#include <QWidget>

// Stands in for a settings pane until the pane itself exists: the pane's title, as wide as
// every pane.
class SettingsPanePlaceholder final : public QWidget
{
    Q_OBJECT

public:
    explicit SettingsPanePlaceholder(SettingsPane pane, QWidget *parent = nullptr);
};
