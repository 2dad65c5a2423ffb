#pragma once

#include <QWidget>

class IconButton;
class QAbstractButton;
class Preferences;
class QMenu;
class Surface;
class Updater;

// The gear at the trailing end of the panel's header. Its menu holds the application-level
// commands: the update offer or check, Settings, the expanded window, the clipboard pause switch,
// About and Quit. While an update waits to be announced the gear carries an accent dot. It acts
// only through its surface (close, expand, open settings), the preferences, the updater and
// quitRequested(), which the application turns into quitting.
//
// The menu is rebuilt from the current values each time it opens. Its Ctrl+, and Ctrl+Q are
// shown in the menu and work only while it is open, so they never compete with the window's
// own shortcuts.
class AppMenu final : public QWidget
{
    Q_OBJECT

public:
    // The three outlive the menu.
    AppMenu(Surface &surface, Preferences &preferences, Updater &updater, QWidget *parent = nullptr);

    QAbstractButton *gear() const;
    // The menu as it would open now.
    QMenu *menu() const { return m_menu; }
    void rebuildMenu();
    // Opens the menu under the gear.
    void popup();

    // Whether the gear shows the dot of a waiting update.
    bool showsUpdateDot() const;
    bool isGearHighlighted() const;

Q_SIGNALS:
    // "Quit Vemra" was chosen.
    void quitRequested();

protected:
    void hideEvent(QHideEvent *event) override;

private:
    void refreshGear();
    void checkForUpdates();

    Surface &m_surface;
    Preferences &m_preferences;
    Updater &m_updater;
    IconButton *m_gear;
    QMenu *m_menu;
};
