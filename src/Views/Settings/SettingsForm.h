#pragma once

#include <QPointer>
#include <QWidget>

class QVBoxLayout;
class SettingsSection;
class TintedButton;
class ToneLabel;

// The frame every form pane shares: a column of grouped sections, 520 px wide and exactly as
// tall as its content. A row that appears makes the pane taller, and the settings window grows
// with it as far as its screen has room; beyond that the window scrolls the pane.
//
// A pane derives from it and adds its sections in its constructor:
//
//     SettingsSection *section = addSection();
//     section->addRow(new SettingsRow(QStringLiteral("Completion Sound"), {}, soundSwitch));
//     addFooter(QStringLiteral("A soft chime when a Focus Session ends"));
class SettingsForm : public QWidget
{
    Q_OBJECT

public:
    static constexpr int paneWidth = 520;

    explicit SettingsForm(QWidget *parent = nullptr);

    // Appends a section without a header.
    SettingsSection *addSection();
    // The footer of the last section: the callout font in the secondary tone, across the
    // section's whole width from its leading edge.
    ToneLabel *addFooter(const QString &text = {});
    // A footer that is more than a text (a progress line), placed like one.
    void addFooter(QWidget *footer);

    // The footer font, for texts placed in footers.
    static void styleAsFooter(QWidget *widget);
    // A row's push button ("Check Now", "Export…"): a gray capsule like the history's "Clear…".
    static TintedButton *button(const QString &text, QWidget *parent = nullptr);

protected:
    // Enables or disables `part` of the pane. Disabling the focused control would send the focus
    // on to the window's next control (the toolbar); the pane holds it meanwhile, and it comes
    // back to that control when `part` is enabled again, unless the user has moved it.
    void setEnabledKeepingFocus(QWidget *part, bool enabled);

private:
    QVBoxLayout *m_column;
    QVBoxLayout *m_group = nullptr;
    QPointer<QWidget> m_focusBeforeDisabled;
};
