#include "App/TextPaste.h"

#include "Platform/ClipboardTypes.h"
#include "Platform/SystemClipboard.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>

#include <functional>
#include <optional>
#include <utility>

namespace {

bool isEditable(const QLineEdit *field)
{
    return field && field->isEnabled() && !field->isReadOnly();
}

QAction *addEntry(
    QMenu *menu, const QString &title, QKeySequence::StandardKey key, bool enabled, const std::function<void()> &run)
{
    const QString keys = QKeySequence(key).toString(QKeySequence::NativeText);
    QAction *action = menu->addAction(keys.isEmpty() ? title : title + QLatin1Char('\t') + keys);
    action->setEnabled(enabled);
    QObject::connect(action, &QAction::triggered, menu, run);
    return action;
}

} // namespace

TextPaste::TextPaste(SystemClipboard &clipboard, QObject *parent)
    : QObject(parent)
    , m_clipboard(clipboard)
{
    connect(&m_clipboard, &SystemClipboard::contentsRead, this, &TextPaste::contentsRead);
}

bool TextPaste::eventFilter(QObject *watched, QEvent *event)
{
    auto *field = qobject_cast<QLineEdit *>(watched);
    if (!isEditable(field))
        return false;
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Paste)) {
        paste(field);
        return true;
    }
    // The middle button pastes the text selected in any program, where the desktop has one.
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent *>(event)->button() == Qt::MiddleButton
        && QGuiApplication::clipboard()->supportsSelection()) {
        field->deselect();
        m_field = field;
        m_reading = m_clipboard.readSelectedText();
        return true;
    }
    if (event->type() == QEvent::ContextMenu && field->contextMenuPolicy() == Qt::DefaultContextMenu) {
        QMenu *menu = makeMenu(field);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    }
    return false;
}

void TextPaste::paste(QLineEdit *field)
{
    m_field = field;
    m_reading = m_clipboard.read(m_clipboard.changeCount(), { ClipboardTypes::plainText() });
}

QMenu *TextPaste::makeMenu(QLineEdit *field)
{
    auto *menu = new QMenu(field);
    const QPointer<QLineEdit> target(field);
    const bool selected = field->hasSelectedText();
    const bool shown = field->echoMode() == QLineEdit::Normal;
    addEntry(menu, QStringLiteral("Undo"), QKeySequence::Undo, field->isUndoAvailable(), [target] {
        if (target)
            target->undo();
    });
    addEntry(menu, QStringLiteral("Redo"), QKeySequence::Redo, field->isRedoAvailable(), [target] {
        if (target)
            target->redo();
    });
    menu->addSeparator();
    addEntry(menu, QStringLiteral("Cut"), QKeySequence::Cut, selected && shown, [target] {
        if (target)
            target->cut();
    });
    addEntry(menu, QStringLiteral("Copy"), QKeySequence::Copy, selected && shown, [target] {
        if (target)
            target->copy();
    });
    // Whether the clipboard holds text is known only by asking its owner: Paste is always offered.
    addEntry(menu, QStringLiteral("Paste"), QKeySequence::Paste, true, [this, target] {
        if (target)
            paste(target);
    });
    addEntry(menu, QStringLiteral("Delete"), QKeySequence::UnknownKey, selected, [target] {
        if (target)
            target->del();
    });
    menu->addSeparator();
    addEntry(menu, QStringLiteral("Select All"), QKeySequence::SelectAll,
        !field->text().isEmpty() && field->selectedText() != field->text(), [target] {
            if (target)
                target->selectAll();
        });
    return menu;
}

void TextPaste::contentsRead(const ClipboardSnapshot &snapshot)
{
    if (snapshot.id != m_reading || !m_reading)
        return;
    m_reading = 0;
    const QPointer<QLineEdit> field = std::exchange(m_field, nullptr);
    const std::optional<QString> text = snapshot.text();
    // A field the user has left, or that became read-only meanwhile, takes nothing.
    if (!text || !isEditable(field) || !field->hasFocus())
        return;
    field->insert(*text);
}
