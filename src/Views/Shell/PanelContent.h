#pragma once

#include "Views/Shell/SurfaceFrame.h"

class AppMenu;
class IconButton;

// The root view of the tray panel, 380 pixels wide in the compact density: a header with the
// badge, the name and the gear menu; the tab switcher bound to the panel's surface; and the
// current tab's content. Its todos tab ends in a footer with the status, the clear-all control
// and the button that opens the expanded window (Ctrl+O); Ctrl+, opens the settings on General
// from every tab. Escape in the todo input undoes one thing per press and, with nothing left to
// undo, closes the panel.
//
// The panel's idea of today is renewed each time it is shown and when the calendar day changes
// (dayChanged()); hiding it ends a move, the clear confirmation and the day filter.
class PanelContent final : public SurfaceFrame
{
    Q_OBJECT

public:
    static constexpr int panelWidth = 380;
    static constexpr int listMaxHeight = 340;
    static constexpr const char *calendarKey = "cardShowsCalendar";

    PanelContent(const Environment &environment, Surface &surface, QWidget *parent = nullptr);
    ~PanelContent() override;

    AppMenu *appMenu() const { return m_appMenu; }
    IconButton *openInWindowButton() const { return m_openInWindow; }

    QSize sizeHint() const override;

private:
    QWidget *makeHeader();
    QWidget *makeFooter();

    AppMenu *m_appMenu = nullptr;
    IconButton *m_openInWindow = nullptr;
};
