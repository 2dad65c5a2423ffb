#pragma once

#include "Components/Theme/Density.h"
#include "Models/Shell/VemraTab.h"

#include <QVariantAnimation>
#include <QWidget>

#include <array>
#include <optional>

class QAbstractButton;
class QKeyEvent;
class Surface;

// The segmented switcher between the three tabs at the top of the panel and the window. A
// click on a segment or Ctrl+1, Ctrl+2, Ctrl+3 (anywhere in the picker's window) selects a tab,
// and a white capsule slides to the selected segment. While a focus session runs, the Focus
// segment's icon takes the accent tint unless the Focus tab is the one shown.
//
// The picker holds the selection and reports real changes; bind() ties it to a surface's tab
// in both directions, which is how the containers use it. It owns Ctrl+1 to Ctrl+3 in its
// window, read by the digit row's keys rather than by what they type.
class SectionPicker final : public QWidget
{
    Q_OBJECT

public:
    explicit SectionPicker(Density density, QWidget *parent = nullptr);

    Density density() const { return m_density; }

    VemraTab selection() const { return m_selection; }
    // Moves the capsule (animated) and emits selectionChanged; setting the tab already shown
    // does nothing.
    void setSelection(VemraTab tab);

    // Keeps the picker and the surface's tab the same, whichever side changes.
    void bind(Surface *surface);

    // Whether a focus session is running.
    bool isSessionActive() const { return m_sessionActive; }
    void setSessionActive(bool active);
    // Whether the tab's segment shows the busy tint: Focus, while a session runs and another
    // tab is shown.
    bool isBusy(VemraTab tab) const;

    // The segment of a tab, for the containers' tests and accessibility checks.
    QAbstractButton *segment(VemraTab tab) const;

    QSize sizeHint() const override;

    // The tab a key press selects: Ctrl with the digit row's 1, 2 or 3 key.
    static std::optional<VemraTab> tabForKey(const QKeyEvent &event);

Q_SIGNALS:
    void selectionChanged(VemraTab tab);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QRectF capsuleTarget() const;
    void refreshSegments();

    Density m_density;
    VemraTab m_selection = VemraTab::Todos;
    bool m_sessionActive = false;
    std::array<QAbstractButton *, 3> m_segments {};
    QVariantAnimation m_slide;
};
