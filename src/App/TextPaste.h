#pragma once

#include "Platform/ClipboardSnapshot.h"

#include <QObject>
#include <QPointer>

class QLineEdit;
class QMenu;
class SystemClipboard;

// Pastes into the application's text fields without waiting on the clipboard's owner. A line
// edit pastes by asking Qt's clipboard, which waits on the owner inside the main thread (seconds
// for a program that never answers), for Paste, for the check that enables Paste in its menu,
// and for the middle button's paste of the selected text. Installed on the application, this
// takes them from every editable line edit: Paste and the middle button ask the system clipboard
// for the text and insert it once read (nothing when the owner does not answer), and the field's
// menu is made here with the same entries.
class TextPaste final : public QObject
{
    Q_OBJECT

public:
    explicit TextPaste(SystemClipboard &clipboard, QObject *parent = nullptr);

    bool eventFilter(QObject *watched, QEvent *event) override;

    // Inserts the clipboard's text into `field` once read, if it still has the keyboard focus.
    void paste(QLineEdit *field);
    // The field's menu: Undo, Redo, Cut, Copy, Paste, Delete and Select All.
    QMenu *makeMenu(QLineEdit *field);

private:
    void contentsRead(const ClipboardSnapshot &snapshot);

    SystemClipboard &m_clipboard;
    // The read under way and the field it pastes into; a newer paste replaces both.
    quint64 m_reading = 0;
    QPointer<QLineEdit> m_field;
};
