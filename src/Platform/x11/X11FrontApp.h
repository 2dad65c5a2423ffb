#pragma once

#include "Platform/FrontApp.h"

#include <memory>

class DesktopEntryIndex;

// The application of the active window, read from the window manager's root properties
// (_NET_ACTIVE_WINDOW, then the window's _NET_WM_PID and WM_CLASS) over Qt's own X
// connection, and named from its desktop entry. Empty without an EWMH window manager, or
// when the application does not run on X11.
class X11FrontApp final : public FrontApp
{
public:
    X11FrontApp();
    ~X11FrontApp() override;

    FrontApplication current() const override;

private:
    mutable std::unique_ptr<DesktopEntryIndex> m_entries; // read on first use
};
