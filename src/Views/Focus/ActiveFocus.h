#pragma once

#include "Components/Theme/Density.h"

#include <QWidget>

class FocusLabel;
class FocusRing;
class FocusSessionManager;
class FocusSpinner;
class LinkButton;
class Surface;
class TintedButton;
class ToneLabel;

// The focus tab while a session runs: a ring emptying towards the planned end with
// "FOCUSING", the countdown and the end time inside it; the planned length; a line about
// notifications; and the button that ends the session early. Redrawn at every tick.
class ActiveFocus final : public QWidget
{
    Q_OBJECT

public:
    ActiveFocus(FocusSessionManager &focus, Surface &surface, Density density, QWidget *parent = nullptr);

    FocusRing *ring() const { return m_ring; }
    ToneLabel *countdown() const { return m_countdown; }
    FocusLabel *statusLine() const { return m_status; }
    LinkButton *checkSetupLink() const { return m_checkSetup; }
    TintedButton *endButton() const { return m_end; }

private:
    void refresh();
    void refreshClock();

    FocusSessionManager &m_focus;
    Surface &m_surface;
    FocusRing *m_ring;
    ToneLabel *m_caption;
    ToneLabel *m_countdown;
    ToneLabel *m_endsAt;
    ToneLabel *m_length;
    int m_countdownSize;
    FocusSpinner *m_spinner;
    FocusLabel *m_status;
    LinkButton *m_checkSetup;
    TintedButton *m_end;
};
