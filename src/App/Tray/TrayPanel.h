#pragma once

#include "Components/Theme/Curves.h"
#include "Platform/PanelPlacement.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QVariantAnimation>

#include <functional>

#include <optional>

class PanelAfterimage;
class PanelWindow;
class TrayHost;
class QWidget;

// The small floating window that drops down from the tray icon and holds the panel's root
// view. It places itself under the icon, fades in and out, follows the content's height and
// closes on every outside event that dismisses a menu: a press elsewhere, Escape that no view
// inside took, losing the keyboard, and (through the owner) a switch of desktop. It never
// decides to open: the owner calls show() and close() and learns of both through shown() and closed().
class TrayPanel final : public QObject
{
    Q_OBJECT

public:
    // How often, and how far apart, placement is tried again while the tray has not placed the icon.
    static constexpr int maxPlacementChecks = 40;
    static constexpr int placementIntervalMs = 50;
    static constexpr int fadeInMs = 160;
    static constexpr int resizeMs = Curves::panelResizeMs;
    static constexpr int cornerRadius = 16;
    // The panel enters from this far above its place.
    static constexpr int entryOffset = 6;

    // Takes ownership of the root view, which keeps its natural width.
    explicit TrayPanel(QWidget *rootView, QObject *parent = nullptr);
    ~TrayPanel() override;

    // Shows the panel under the icon (or at the pointer, or the screen's top-right corner when
    // the icon's place is unknown), or gives it the keyboard again when it is already shown.
    // Emits shown() once the panel is (still) on screen. A null anchor places it at once.
    void show(TrayHost *anchor);
    bool isShown() const { return m_isShown; }

    // With reduced motion, changes of size happen at once. Follows the desktop's setting unless
    // set here.
    void setReducesMotion(bool reduces) { m_reducesMotion = reduces; }
    bool reducesMotion() const;

    // The panel's window (for the owner's window tags, and for tests).
    QWidget *window() const;
    // The picture that fades out where the panel was: every closing takes the panel off the screen at once.
    PanelAfterimage *afterimage() const { return m_afterimage; }
    // How many times placement has been put off in the current attempt.
    int placementChecks() const { return m_placementChecks; }

Q_SIGNALS:
    // At the end of every show that shows or re-shows.
    void shown();
    // By every close that closes.
    void closed();

public Q_SLOTS:
    // Closes the panel at once, its picture fading out in its place; does nothing when not shown.
    // Also cancels a show that is still waiting for the icon to be placed.
    void close();
    // Moves and resizes the panel to its content's current size; only while shown.
    void fitToContent();

private:
    void attemptShow();
    void placeNewlyShown();
    PanelPlacement::Anchor currentAnchor() const;
    QSize contentSize() const;
    QRect targetFrame();
    // Whether a part of the content is moving its room in or out.
    bool contentMovesItsRoom() const;
    void applyFadeIn(qreal progress);
    // Sets the window's frame during a change of height.
    void resizeWindow(const QRect &frame);
    void finishClose();
    // Closes the visible popup windows (menus) that `which` picks.
    static void closePopups(const std::function<bool(const QWidget *)> &which);
    void installMonitors();
    void removeMonitors();

    // What the window reports.
    void contentChanged();
    void windowCancelled();
    void windowPressedOutside(const QPoint &globalPosition, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void windowClosedBySystem();
    void windowLostFocus();

    PanelWindow *m_window = nullptr;
    PanelAfterimage *m_afterimage = nullptr;
    QWidget *m_root = nullptr;
    QPointer<TrayHost> m_anchor;
    PanelPlacement::Anchor m_resolved;
    QRect m_target;
    bool m_isShown = false;
    std::optional<bool> m_reducesMotion;
    int m_placementChecks = 0;
    QTimer m_retry;
    QTimer m_fitLater;
    QVariantAnimation m_fadeIn;
    QVariantAnimation m_resize;
    QList<QMetaObject::Connection> m_monitors;
};
