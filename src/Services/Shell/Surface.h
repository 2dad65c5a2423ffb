#pragma once

#include "Models/Shell/SettingsPane.h"
#include "Models/Shell/VemraTab.h"

#include <QObject>

// The state of one place where the tabs are shown (the panel, the expanded window or the
// settings window), and the actions its views use to act on their host. Assigning a field the
// value it holds notifies nobody; an action is a request to whoever owns the host, and does
// nothing where nobody listens (the windows neither close nor expand through it).
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

    void close() { Q_EMIT closeRequested(); }
    void expand() { Q_EMIT expandRequested(); }
    void openSettings(SettingsPane pane) { Q_EMIT settingsRequested(pane); }

Q_SIGNALS:
    void focusRequestChanged(int focusRequest);
    void isVisibleChanged(bool isVisible);
    void tabChanged(VemraTab tab);
    void closeRequested();
    void expandRequested();
    void settingsRequested(SettingsPane pane);

private:
    int m_focusRequest = 0;
    bool m_isVisible = false;
    VemraTab m_tab = VemraTab::Todos;
};
