#pragma once

#include "Components/Controls/ToneLabel.h"
#include "Components/Theme/Density.h"
#include "Services/Clipboard/ClipboardNoticeContent.h"
#include "Services/Clipboard/Relaunch.h"

#include <QWidget>

#include <memory>
#include <optional>

class ClipboardMonitor;
class Preferences;
class QLabel;
class QHBoxLayout;
class AppearTransition;
class SymbolIcon;
class TintedButton;

// The banner that says why the clipboard history is not being recorded (switched off, paused
// or, where the system asks, not permitted) with the button that fixes it. It follows the two
// recording switches and the permission as they change; with nothing to say it is hidden and
// takes no room.
class ClipboardNotice final : public QWidget
{
    Q_OBJECT

public:
    // `relaunch`: how "Reopen Vemra" starts a new instance (null: the real one).
    ClipboardNotice(Preferences &preferences, ClipboardMonitor &monitor, Density density,
        std::unique_ptr<Relaunch> relaunch = nullptr, QWidget *parent = nullptr);
    ~ClipboardNotice() override;

    std::optional<ClipboardNoticeContent::Reason> reason() const { return m_reason; }
    QLabel *titleLabel() const { return m_title; }
    QLabel *detailLabel() const { return m_detail; }
    QList<TintedButton *> buttons() const { return m_buttons; }

    // Reads the switches and the permission again.
    void refresh();
    // The space above the banner that separates it from what is above; it goes with the banner.
    int topInset() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void perform(ClipboardNoticeContent::Action action);

    Preferences &m_preferences;
    ClipboardMonitor &m_monitor;
    Density m_density;
    std::unique_ptr<Relaunch> m_relaunch;
    std::optional<ClipboardNoticeContent::Reason> m_reason;
    QWidget *m_symbolBox;
    SymbolIcon *m_symbol;
    QLabel *m_title;
    ToneLabel *m_detail;
    QWidget *m_buttonRow;
    QHBoxLayout *m_buttonLayout;
    QList<TintedButton *> m_buttons;
    AppearTransition *m_motion = nullptr;
};
