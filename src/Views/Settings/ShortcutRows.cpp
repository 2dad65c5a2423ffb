#include "Views/Settings/ShortcutRows.h"

#include "Services/HotKeys/HotKeyCenter.h"
#include "Views/Settings/SettingsNote.h"
#include "Views/Settings/SettingsRow.h"
#include "Views/Settings/SettingsSection.h"
#include "Views/Settings/ShortcutRecorder.h"

#include <QVBoxLayout>

ShortcutRows::ShortcutRows(HotKeyCenter &focus, QWidget *parent)
    : QWidget(parent)
    , m_focus(focus)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    auto *focusSection = new SettingsSection(this);
    m_focusRecorder = new ShortcutRecorder(&m_focus);
    focusSection->addRow(
        new SettingsRow(tr("Global Focus Shortcut"), tr("Open Focus from any app; Return starts it"), m_focusRecorder));
    m_focusNote = new SettingsNote;
    focusSection->addRow(m_focusNote);
    column->addWidget(focusSection);

    connect(&m_focus, &HotKeyCenter::comboChanged, this, &ShortcutRows::refreshFocus);
    connect(&m_focus, &HotKeyCenter::problemChanged, this, &ShortcutRows::refreshFocus);
    refreshFocus();
}

void ShortcutRows::refreshFocus()
{
    // A problem wins; the note only explains the substitute while it is still the shortcut.
    if (!m_focus.problem().isEmpty())
        m_focusNote->setNote(SettingsNote::Tone::Problem, m_focus.problem());
    else if (m_focus.combo() && *m_focus.combo() == m_focus.standard())
        m_focusNote->setNote(SettingsNote::Tone::Information, m_focus.note());
    else
        m_focusNote->setNote(SettingsNote::Tone::Information, {});
}
