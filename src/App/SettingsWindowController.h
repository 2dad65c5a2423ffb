#pragma once

#include "Models/Shell/SettingsPane.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSize>

#include <array>
#include <functional>
#include <optional>

class HostWindow;
class OverflowArea;
class QAbstractButton;
class QVariantAnimation;
class QWidget;

// The settings window: a toolbar of the five panes (icon above label) and, under it, the
// selected pane, the window taking that pane's size with its top-left corner kept in place (no
// taller than its screen: the pane then scrolls).
// One window for the whole run, its panes built once by the pane builder; closing only hides
// it, and the selected pane survives until a caller asks for another.
//
//     SettingsWindowController settings([](SettingsPane pane) { return new GeneralPane; });
//     settings.show(SettingsPane::General);
class SettingsWindowController final : public QObject
{
    Q_OBJECT

public:
    // Builds the view of one pane; the window takes ownership. A pane fixes its own width and
    // its height follows its content.
    using PaneBuilder = std::function<QWidget *(SettingsPane)>;

    static constexpr int resizeDurationMs = 200;

    explicit SettingsWindowController(const PaneBuilder &buildPane, QObject *parent = nullptr);
    ~SettingsWindowController() override;

    // Selects the pane, sizes the window to it without animation and brings the window to the
    // front, centred on the screen unless it was already visible.
    void show(SettingsPane pane);
    SettingsPane pane() const { return m_pane; }
    HostWindow *window() const { return m_window; }
    QWidget *paneView(SettingsPane pane) const;
    // Where the panes scroll on a screen too short for one.
    OverflowArea *paneArea() const { return m_scroll; }
    // The toolbar's buttons, in pane order.
    QList<QAbstractButton *> toolbarButtons() const;
    // The window's content size for the selected pane.
    QSize fittingSize() const;
    bool isResizing() const;

    // Replaces the desktop's Reduce Motion setting (for tests).
    void setReducesMotion(std::optional<bool> reduces) { m_reducesMotion = reduces; }

Q_SIGNALS:
    void paneChanged(SettingsPane pane);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void select(SettingsPane pane);
    // A pane chosen in the toolbar: the visible window resizes with animation.
    void selectFromToolbar(SettingsPane pane);
    void fitWindow(bool animated);
    void setContentSize(const QSize &size);
    bool reducesMotion() const;

    HostWindow *m_window = nullptr;
    QWidget *m_toolbar = nullptr;
    OverflowArea *m_scroll = nullptr;
    std::array<QAbstractButton *, SettingsPanes::all.size()> m_buttons {};
    std::array<QPointer<QWidget>, SettingsPanes::all.size()> m_panes {};
    QVariantAnimation *m_resize = nullptr;
    SettingsPane m_pane = SettingsPane::General;
    std::optional<bool> m_reducesMotion;
};
