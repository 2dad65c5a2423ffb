#include "Views/Settings/ShortcutRows.h"

#include "Components/Theme/SystemColors.h"
#include "Services/HotKeys/HotKeys.h"
#include "Views/Settings/SettingsNote.h"
#include "Views/Settings/SettingsSection.h"
#include "Views/Settings/ShortcutRecorder.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QLabel *textLabel(const QString &text, int pixelSize, bool secondary, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPixelSize(pixelSize);
    label->setFont(font);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    if (secondary) {
        QPalette colors = label->palette();
        colors.setColor(QPalette::WindowText, SystemColors::secondary(colors));
        label->setPalette(colors);
    }
    return label;
}

// A title with a subtitle under it at the leading edge and the control at the trailing edge.
QWidget *labelledRow(const QString &title, const QString &subtitle, QWidget *control)
{
    auto *row = new QWidget;
    auto *line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(12);
    auto *labels = new QVBoxLayout;
    labels->setSpacing(2);
    labels->addWidget(textLabel(title, 13, false, row));
    labels->addWidget(textLabel(subtitle, 11, true, row));
    line->addLayout(labels, 1);
    control->setParent(row);
    line->addWidget(control, 0, Qt::AlignVCenter | Qt::AlignRight);
    return row;
}

} // namespace

ShortcutRows::ShortcutRows(HotKeys *hotKeys, QWidget *parent)
    : QWidget(parent)
    , m_newTodo(hotKeys ? hotKeys->newTodo() : nullptr)
    , m_focus(hotKeys ? hotKeys->focus() : nullptr)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);

    auto *newTodoSection = new SettingsSection(this);
    m_newTodoRecorder = new ShortcutRecorder(m_newTodo);
    newTodoSection->addRow(labelledRow(QStringLiteral("Global Shortcut"),
        QStringLiteral("Open Vemra and start typing a todo from any app"), m_newTodoRecorder));
    m_newTodoProblem = new SettingsNote;
    newTodoSection->addRow(m_newTodoProblem);
    column->addWidget(newTodoSection);
    m_newTodoFooter = textLabel({}, 12, true, this);
    m_newTodoFooter->setContentsMargins(SettingsSection::rowPadding, 0, SettingsSection::rowPadding, 0);
    column->addWidget(m_newTodoFooter);

    column->addSpacing(14);
    auto *focusSection = new SettingsSection(this);
    m_focusRecorder = new ShortcutRecorder(m_focus);
    focusSection->addRow(labelledRow(QStringLiteral("Global Focus Shortcut"),
        QStringLiteral("Open Focus from any app; Return starts it"), m_focusRecorder));
    m_focusNote = new SettingsNote;
    focusSection->addRow(m_focusNote);
    column->addWidget(focusSection);

    if (m_newTodo) {
        connect(m_newTodo, &HotKeyCenter::comboChanged, this, &ShortcutRows::refreshNewTodo);
        connect(m_newTodo, &HotKeyCenter::problemChanged, this, &ShortcutRows::refreshNewTodo);
    }
    if (m_focus) {
        connect(m_focus, &HotKeyCenter::comboChanged, this, &ShortcutRows::refreshFocus);
        connect(m_focus, &HotKeyCenter::problemChanged, this, &ShortcutRows::refreshFocus);
    }
    refreshNewTodo();
    refreshFocus();
}

QString ShortcutRows::shortcutNote(const HotKeyCenter &center)
{
    const auto combo = center.combo();
    if (!combo)
        return QStringLiteral("Without a shortcut, open Vemra from its icon in the menu bar.");
    QString note
        = combo->displayName() + QStringLiteral(" works in every app, in place of anything that app uses it for.");
    if (*combo == KeyCombo::standard())
        note += QStringLiteral(" In browsers that’s Reopen Closed Tab.");
    return note;
}

void ShortcutRows::refreshNewTodo()
{
    m_newTodoProblem->setNote(SettingsNote::Tone::Problem, m_newTodo ? m_newTodo->problem() : QString());
    m_newTodoFooter->setText(m_newTodo ? shortcutNote(*m_newTodo) : QString());
    m_newTodoFooter->setVisible(m_newTodo);
}

void ShortcutRows::refreshFocus()
{
    if (!m_focus) {
        m_focusNote->setNote(SettingsNote::Tone::Problem, {});
        return;
    }
    // A problem wins; the note only explains the substitute while it is still the shortcut.
    if (!m_focus->problem().isEmpty())
        m_focusNote->setNote(SettingsNote::Tone::Problem, m_focus->problem());
    else if (m_focus->combo() && *m_focus->combo() == m_focus->standard())
        m_focusNote->setNote(SettingsNote::Tone::Information, m_focus->note());
    else
        m_focusNote->setNote(SettingsNote::Tone::Information, {});
}
