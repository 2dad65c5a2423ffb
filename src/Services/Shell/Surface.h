#pragma once

#include "Models/Shell/SettingsPane.h"
#include "Models/Shell/VemraTab.h"

#include <QObject>

#include <functional>

// The state of one place where the tabs are shown (the panel, the expanded window or the
// settings window), and the actions its views use to act on their host. Assigning a field the
// value it holds notifies nobody; the actions do nothing until the owner sets them.
class Surface final : public QObject
{
    Q_OBJECT

public:
    explicit Surface(QObject *parent = nullptr);

    int focusRequest() const { return m_focusRequest; }
    bool isVisible() const { return m_isVisible; }
    VemraTab tab() const { return m_tab; }

    void setVisible(bool visible);
    void setTab(VemraTab tab);
    // Asks the views to put the keyboard focus back into their input line.
    void requestInputFocus();

    void close() const;
    void expand() const;
    void openSettings(SettingsPane pane) const;

    void setCloseAction(std::function<void()> action) { m_close = std::move(action); }
    void setExpandAction(std::function<void()> action) { m_expand = std::move(action); }
    void setOpenSettingsAction(std::function<void(SettingsPane)> action) { m_openSettings = std::move(action); }

Q_SIGNALS:
    void focusRequestChanged(int focusRequest);
    void isVisibleChanged(bool isVisible);
    void tabChanged(VemraTab tab);

private:
    int m_focusRequest = 0;
    bool m_isVisible = false;
    VemraTab m_tab = VemraTab::Todos;
    std::function<void()> m_close;
    std::function<void()> m_expand;
    std::function<void(SettingsPane)> m_openSettings;
};
