#pragma once

#include "Services/Environment.h"

#include <QWidget>

class ClearAllButton;
class QLabel;
class Clock;
class FooterStatus;
class SectionPicker;
class SettingsStore;
class TabContent;
class TabFade;
class TodosTab;
class TodosTabState;

// The root view of the expanded window: the same three tabs as the panel in the regular
// density, in a column at most 640 pixels wide centred in the window. A centred header (badge,
// name, tagline; no gear) gives its room to the calendar card on the todos tab; the todos tab's
// list takes all the free height above a footer of the status and the clear-all control.
// Escape never closes the window: with nothing left to undo it does nothing.
//
// Today is renewed each time the window is shown and when the calendar day changes
// (dayChanged()), so a window left open overnight drops a day filter that today has reached.
class ExpandedWindow final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int maxColumnWidth = 640;
    static constexpr const char *calendarKey = "windowShowsCalendar";

    ExpandedWindow(const Environment &environment, SettingsStore *settings, const Clock *clock = nullptr,
                   QWidget *parent = nullptr);
    ~ExpandedWindow() override;

    // The calendar day changed.
    void dayChanged();

    // On the todos tab the header is hidden while the calendar card shows; on the other tabs it
    // always shows.
    bool showsHeader() const;

    TodosTabState *todosState() const { return m_state; }
    TodosTab *todosTab() const { return m_todosTab; }
    SectionPicker *sectionPicker() const { return m_picker; }
    TabContent *content() const { return m_content; }
    QWidget *header() const { return m_header; }
    QWidget *column() const { return m_column; }
    FooterStatus *footerStatus() const { return m_status; }
    ClearAllButton *clearAllButton() const { return m_clearAll; }

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QWidget *makeHeader();
    QWidget *makeFooter();
    void refreshHeader();
    void refreshFooter();
    void applyColors();

    Environment m_environment;
    TodosTabState *m_state;
    QWidget *m_column = nullptr;
    QWidget *m_header = nullptr;
    TabFade *m_headerFade = nullptr;
    SectionPicker *m_picker = nullptr;
    TabContent *m_content = nullptr;
    TodosTab *m_todosTab = nullptr;
    FooterStatus *m_status = nullptr;
    ClearAllButton *m_clearAll = nullptr;
    QLabel *m_tagline = nullptr;
    bool m_hasAppeared = false;
};
