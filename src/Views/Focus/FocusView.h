#pragma once

#include "Components/Theme/Density.h"

#include <QList>
#include <QWidget>

class ActiveFocus;
class AppearTransition;
class DurationChip;
class FocusFooter;
class FocusLabel;
class FocusRing;
class FocusTabState;
class HotKeys;
class LinkButton;
class NumberField;
class OverflowArea;
class QKeyEvent;
class RollingLabel;
class SilencingPrompt;
class TintedButton;
class ToneLabel;

// The focus tab of both containers. While a session runs it shows the running session;
// otherwise the start screen: the last session's outcome, a ring previewing the chosen length,
// the chips of the lengths with the custom hours and minutes, and the start button with a line
// about silencing, or the silencing prompt in its place. In the panel a footer closes it.
// Left and Right move between the chips, Return starts, Escape closes the prompt.
class FocusView final : public QWidget
{
    Q_OBJECT

public:
    // `hotKeys`: the panel's footer names the shortcut that opens Focus.
    FocusView(FocusTabState &state, HotKeys &hotKeys, Density density, QWidget *parent = nullptr);

    FocusTabState &state() const { return m_state; }
    QWidget *startScreen() const { return m_startScreen; }
    ActiveFocus *activeFocus() const { return m_active; }
    QList<DurationChip *> chips() const { return m_chips; }
    NumberField *hoursField() const { return m_hours; }
    NumberField *minutesField() const { return m_minutes; }
    RollingLabel *clockLabel() const { return m_clock; }
    ToneLabel *readyLabel() const { return m_ready; }
    ToneLabel *questionLabel() const { return m_question; }
    QWidget *customFields() const { return m_custom; }
    ToneLabel *customHint() const { return m_hint; }
    TintedButton *startButton() const { return m_start; }
    FocusLabel *outcomeLine() const { return m_outcome; }
    FocusLabel *noteLine() const { return m_note; }
    LinkButton *setUpLink() const { return m_setUp; }
    SilencingPrompt *prompt() const { return m_prompt; }
    // What scrolls where the tab does not fit.
    OverflowArea *middle() const { return m_middle; }
    // Null in the expanded window.
    FocusFooter *footer() const { return m_footer; }

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QWidget *makeStartScreen();
    QWidget *makeRingPreview(QWidget *parent);
    QWidget *makeChipGrid(QWidget *parent);
    QWidget *makeCustomFields(QWidget *parent);
    QWidget *makeStartBox(QWidget *parent);
    bool handleKey(const QKeyEvent &key);
    void refresh();
    void refreshOutcome();
    // Scrolls the part into view where the tab scrolls.
    void reveal(QWidget *part);

    FocusTabState &m_state;
    Density m_density;
    OverflowArea *m_middle = nullptr;
    QWidget *m_startScreen = nullptr;
    ActiveFocus *m_active = nullptr;
    FocusLabel *m_outcome = nullptr;
    FocusRing *m_previewRing = nullptr;
    RollingLabel *m_clock = nullptr;
    int m_clockSize = 0;
    ToneLabel *m_ready = nullptr;
    ToneLabel *m_question = nullptr;
    QList<DurationChip *> m_chips;
    QWidget *m_custom = nullptr;
    NumberField *m_hours = nullptr;
    NumberField *m_minutes = nullptr;
    ToneLabel *m_hint = nullptr;
    AppearTransition *m_customAppear = nullptr;
    QWidget *m_startBox = nullptr;
    TintedButton *m_start = nullptr;
    FocusLabel *m_note = nullptr;
    LinkButton *m_setUp = nullptr;
    SilencingPrompt *m_prompt = nullptr;
    AppearTransition *m_promptAppear = nullptr;
    AppearTransition *m_startBoxAppear = nullptr;
    FocusFooter *m_footer = nullptr;
    bool m_hasAppeared = false;
};
