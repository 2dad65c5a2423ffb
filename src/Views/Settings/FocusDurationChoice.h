#pragma once

#include <optional>

class Preferences;

// The default focus length as the Focus pane edits it: a preset from the picker, or "Custom"
// with an hours and a minutes stepper. The length itself lives in Preferences; this keeps only
// whether Custom is chosen, which is decided afresh each time the pane is shown and otherwise
// changes only through the picker, so steppers that happen to reach a preset keep Custom.
// Every stepped length goes through FocusDuration::minutes(), and a length it refuses changes
// nothing.
class FocusDurationChoice final
{
public:
    explicit FocusDurationChoice(Preferences &preferences);

    // On every showing of the pane: Custom exactly when the stored length is no preset.
    void refresh();

    bool isCustom() const { return m_isCustom; }
    // The picker's item: the stored length, or none for Custom.
    std::optional<int> preset() const;
    // A preset stores its length and leaves Custom; none chooses Custom and stores nothing.
    void choose(std::optional<int> preset);

    int hours() const;
    int minutes() const;
    // Each returns whether the new length was stored. Raising the hours to 24 drops the minutes.
    bool setHours(int hours);
    bool setMinutes(int minutes);

private:
    bool store(int hours, int minutes);

    Preferences &m_preferences;
    bool m_isCustom = false;
};
