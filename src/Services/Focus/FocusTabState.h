#pragma once

#include "Models/Focus/FocusSilencerReadiness.h"
#include "Services/Focus/FocusSessionManager.h"

#include <QList>
#include <QObject>

#include <optional>

class Preferences;
class Surface;

// The state of a surface's focus tab, so that its widgets only draw it: the chosen length, the
// custom hours and minutes, the readiness check a start is waiting for, and the silencing
// prompt. Starting decides whether a session starts at once, starts with Do Not Disturb, first
// checks whether silencing can work, or asks the user about silencing.
class FocusTabState final : public QObject
{
    Q_OBJECT

public:
    // A chip of the grid: a preset length in minutes, or the custom length.
    struct Choice
    {
        std::optional<int> preset;

        static Choice minutes(int minutes) { return { minutes }; }
        static Choice custom() { return {}; }
        bool isCustom() const { return !preset; }
        friend bool operator==(const Choice &, const Choice &) = default;
    };

    // The keys the tab handles; what the widget hands over of a key press.
    enum class Key { Left, Right, Return, Escape, Other };
    struct KeyPress
    {
        Key key = Key::Other;
        // Ctrl, Alt or Meta is held; Shift alone does not count.
        bool commandHeld = false;
        // A text field (a custom hours or minutes field) has the keyboard.
        bool editingText = false;
    };

    static constexpr int defaultCustomMinutes = 45;

    // `closesSurface`: the panel closes after a start; the window stays.
    FocusTabState(FocusSessionManager &focus, Preferences &preferences, Surface &surface, bool closesSurface,
        QObject *parent = nullptr);

    FocusSessionManager &focus() const { return m_focus; }
    Preferences &preferences() const { return m_preferences; }
    Surface &surface() const { return m_surface; }

    // The presets in order, then Custom.
    static QList<Choice> choices();

    Choice choice() const { return m_choice; }
    // A chip was clicked: the choice changes and the prompt goes.
    void choose(Choice choice);
    int customHours() const { return m_customHours; }
    int customMinutes() const { return m_customMinutes; }
    // Kept within 0…24 and 0…59.
    void setCustomHours(int hours);
    void setCustomMinutes(int minutes);

    // The chosen length; none while Custom holds no length of 1 minute to 24 hours.
    std::optional<int> chosenMinutes() const;
    bool isCustomInvalid() const { return !chosenMinutes(); }
    bool isChecking() const { return m_isChecking; }
    bool isAskingAboutSilencing() const { return m_isAskingAboutSilencing; }
    bool closesOnceSilenced() const { return m_closesOnceSilenced; }

    // What the start screen shows.
    QString clockText() const;
    QString startTitle() const;
    QString startAccessibleName() const;
    bool canStart() const { return !isCustomInvalid() && !m_isChecking; }

    // Selects the stored default length, unless a session runs.
    void loadDefault();
    // The start button, Return, or submitting a custom field.
    void start();
    // "Start Timer Anyway" of the prompt.
    void startWithoutSilencing();
    // The tab came on screen: checks readiness quietly where silencing is wanted and unknown.
    void appeared();
    // Whether the key was used.
    bool handleKey(const KeyPress &press);

Q_SIGNALS:
    // After any change of what the tab shows.
    void changed();

private:
    void startSilenced(int minutes);
    void readinessChecked(int check);
    void surfaceVisibilityChanged(bool visible);
    void sessionChanged();
    void setAsking(bool asking);

    FocusSessionManager &m_focus;
    Preferences &m_preferences;
    Surface &m_surface;
    bool m_closesSurface;
    Choice m_choice = Choice::minutes(25);
    int m_customHours = 0;
    int m_customMinutes = defaultCustomMinutes;
    bool m_isChecking = false;
    bool m_isAskingAboutSilencing = false;
    bool m_closesOnceSilenced = false;
    // The readiness check a start waits for, and the length it keeps.
    int m_startCheck = 0;
    int m_checkedMinutes = 0;
    FocusSessionManager::Phase m_phase;
};
