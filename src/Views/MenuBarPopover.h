#pragma once

#include "Services/Environment.h"

#include <QWidget>

class AppMenu;
class ClearAllButton;
class QLabel;
class Clock;
class FooterStatus;
class IconButton;
class SectionPicker;
class SettingsStore;
class TabContent;
class TodosTab;
class TodosTabState;

// The root view of the tray panel, 380 pixels wide in the compact density: a header with the
// badge, the name and the gear menu; the tab switcher bound to the panel's surface; and the
// current tab's content. Its todos tab ends in a footer with the status, the clear-all control
// and the button that opens the expanded window (Ctrl+O); Ctrl+, opens the settings on General
// from every tab. Escape in the todo input undoes one thing per press and, with nothing left to
// undo, closes the panel.
//
// The panel's idea of today is renewed each time it is shown and when the calendar day changes
// (dayChanged()); hiding it ends a move, the clear confirmation and the day filter.
class MenuBarPopover final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int panelWidth = 380;
    static constexpr int listMaxHeight = 340;
    static constexpr const char *calendarKey = "cardShowsCalendar";

    // `settings` remembers whether the calendar is shown; `clock` gives today (null: the
    // system clock).
    MenuBarPopover(const Environment &environment, SettingsStore *settings, const Clock *clock = nullptr,
                   QWidget *parent = nullptr);
    ~MenuBarPopover() override;

    // The calendar day changed.
    void dayChanged();

    TodosTabState *todosState() const { return m_state; }
    TodosTab *todosTab() const { return m_todosTab; }
    SectionPicker *sectionPicker() const { return m_picker; }
    TabContent *content() const { return m_content; }
    AppMenu *appMenu() const { return m_appMenu; }
    FooterStatus *footerStatus() const { return m_status; }
    ClearAllButton *clearAllButton() const { return m_clearAll; }
    IconButton *openInWindowButton() const { return m_openInWindow; }

    QSize sizeHint() const override;

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QWidget *makeHeader();
    QWidget *makeFooter();
    void refreshFooter();
    void applyColors();

    Environment m_environment;
    TodosTabState *m_state;
    AppMenu *m_appMenu = nullptr;
    SectionPicker *m_picker = nullptr;
    TabContent *m_content = nullptr;
    TodosTab *m_todosTab = nullptr;
    FooterStatus *m_status = nullptr;
    ClearAllButton *m_clearAll = nullptr;
    IconButton *m_openInWindow = nullptr;
    QLabel *m_tagline = nullptr;
    bool m_hasAppeared = false;
};
