#pragma once

#include "Models/SettingsPane.h"

#include <QObject>

class HostWindow;
class QLabel;

// The settings window: one window for all panes, made on first use and kept. Shows which pane
// is selected until the panes themselves are hosted here.
class SettingsWindowController final : public QObject
{
    Q_OBJECT

public:
    explicit SettingsWindowController(SettingsPane pane, QObject *parent = nullptr);
    ~SettingsWindowController() override;

    // Selects the pane and brings the window to the front.
    void show(SettingsPane pane);
    SettingsPane pane() const { return m_pane; }
    HostWindow *window() const { return m_window; }

private:
    void select(SettingsPane pane);

    HostWindow *m_window = nullptr;
    QLabel *m_title = nullptr;
    SettingsPane m_pane;
    bool m_hasBeenShown = false;
};
