#pragma once

#include "Views/Shell/SurfaceFrame.h"

class AppearTransition;

// The root view of the expanded window: the same three tabs as the panel in the regular
// density, in a column at most 640 pixels wide centred in the window. A centred header (badge,
// name, tagline; no gear) gives its room to the calendar card on the todos tab; the todos tab's
// list takes all the free height above a footer of the status and the clear-all control.
// Escape never closes the window: with nothing left to undo it does nothing.
//
// Today is renewed each time the window is shown and when the calendar day changes
// (dayChanged()), so a window left open overnight drops a day filter that today has reached.
//
// The middle of a tab keeps its content's least height as far as the window's room allows (its
// screen's, frame aside): there the window is never smaller than what it shows needs, and only
// on a screen too short for that does the middle scroll. The window hears of that least size
// once each change has been taken in whole, never of a part on its way out.
class ExpandedWindow final : public SurfaceFrame
{
    Q_OBJECT

public:
    static constexpr int maxColumnWidth = 640;
    // The window is never smaller, nor smaller than what it shows needs (the calendar card and
    // the footer under it).
    static constexpr QSize smallestSize { 420, 520 };
    static constexpr const char *calendarKey = "windowShowsCalendar";

    ExpandedWindow(const Environment &environment, Surface &surface, QWidget *parent = nullptr);
    ~ExpandedWindow() override;

    // On the todos tab the header is hidden while the calendar card shows; on the other tabs it
    // always shows.
    bool showsHeader() const;

    QWidget *header() const { return m_header; }

    // The most height the window may have on its screen; unbounded until told.
    void setRoom(int height);
    QWidget *column() const { return m_column; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;

public:
    QSize minimumSizeHint() const override;

private:
    QWidget *makeHeader();
    QWidget *makeFooter();
    void refreshHeader(bool moves);
    void holdMiddles();
    QSize leastNow() const;

    QWidget *m_column = nullptr;
    QWidget *m_header = nullptr;
    QWidget *m_footer = nullptr;
    AppearTransition *m_headerMotion = nullptr;
    int m_room = QWIDGETSIZE_MAX;
    // The least size as the window last heard of it; none while hidden.
    QSize m_least;
};
