#pragma once

#include "Components/Theme/Density.h"
#include "Services/Shell/Environment.h"
#include "Views/Todos/TodosView.h"

#include <QWidget>

class ClearAllButton;
class ClipboardTabState;
class ClipboardView;
class FocusTabState;
class FocusView;
class FooterStatus;
class QLabel;
class SectionPicker;
class Surface;
class TabContent;
class TodosTabState;

// What the tray panel and the expanded window share: the header's badge, name and tagline, the
// tab switcher bound to the surface, the three tabs (each a state made here from the
// environment, over the surface, and its view in the container's density), the footer's status
// and clear-all control, and the confetti over everything. Each container lays these out in its
// own density and adds what only it has.
//
// Today is renewed each time the surface is shown and when the calendar day changes
// (dayChanged()). The first time it appears, the todo input takes the focus.
class SurfaceFrame : public QWidget
{
    Q_OBJECT

public:
    ~SurfaceFrame() override;

    // The calendar day changed.
    void dayChanged();

    TodosTabState *todosState() const { return m_state; }
    TodosView *todosView() const { return m_todosView; }
    SectionPicker *sectionPicker() const { return m_picker; }
    TabContent *content() const { return m_content; }
    ClipboardTabState *clipboardState() const { return m_clipboardState; }
    ClipboardView *clipboardView() const { return m_clipboardView; }
    FocusTabState *focusState() const { return m_focusState; }
    FocusView *focusView() const { return m_focusView; }
    FooterStatus *footerStatus() const { return m_status; }
    ClearAllButton *clearAllButton() const { return m_clearAll; }

protected:
    // The settings under `calendarKey` remember whether the calendar is shown.
    // `closesOnEscape`: Escape with nothing left to undo closes the surface.
    SurfaceFrame(const Environment &environment, Surface &surface, const QString &calendarKey, bool closesOnEscape,
        QWidget *parent);

    struct Titles
    {
        QWidget *badge;
        QLabel *name;
        QLabel *tagline;
    };

    // The parts, in the order a container makes them. The container lays each out.
    Titles makeTitles(QWidget *header, int badgeSize, int nameSize, int taglineSize);
    SectionPicker *makeSectionPicker(Density density, QWidget *parent);
    // The page holder and the todos tab; the container then gives the tab its footer and calls
    // addPages().
    TabContent *makeContent(Density density, const TodosView::Metrics &metrics, QWidget *parent);
    void addPages(int stretch);
    // With `statusGivesWay`, the status hides while the clear-all question needs its room.
    void makeFooterParts(QWidget *footer, int statusSize, bool statusGivesWay);
    // The confetti layer on top, and the todos tab following the surface.
    void finish();

    const Environment &environment() const { return m_environment; }
    Surface &surface() const { return m_surface; }

    void showEvent(QShowEvent *event) override;

private:
    void refreshFooter();

    Environment m_environment;
    Density m_density = Density::Compact;
    Surface &m_surface;
    TodosTabState *m_state;
    ClipboardTabState *m_clipboardState = nullptr;
    ClipboardView *m_clipboardView = nullptr;
    FocusTabState *m_focusState = nullptr;
    FocusView *m_focusView = nullptr;
    SectionPicker *m_picker = nullptr;
    TabContent *m_content = nullptr;
    TodosView *m_todosView = nullptr;
    FooterStatus *m_status = nullptr;
    ClearAllButton *m_clearAll = nullptr;
    bool m_statusGivesWay = false;
    bool m_hasAppeared = false;
};
