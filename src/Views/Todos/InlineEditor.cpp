#include "Views/Todos/InlineEditor.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QTimer>

#include <limits>

InlineEditor::InlineEditor(const QString &text, qreal fontSize, QWidget *parent)
    : QLineEdit(parent)
{
    // No length limit: a title is never cut at the line edit's default maximum.
    setMaxLength(std::numeric_limits<int>::max());
    setText(text);
    setFrame(false);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    setAutoFillBackground(false);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::transparent);
    setPalette(pal);
    setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; padding: 0px; }"));
    QFont f = font();
    f.setPixelSize(qRound(fontSize));
    setFont(f);
    setAccessibleName(QStringLiteral("Edit todo"));
}

void InlineEditor::setDraft(const QString &text)
{
    if (text != this->text())
        setText(text);
}

bool InlineEditor::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        // Return and Escape end the edit here; no window shortcut may take them first.
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Escape:
                event->accept();
                return true;
            default:
                break;
            }
        }
    }
    if (event->type() == QEvent::Show && !m_focusScheduled) {
        // On the next turn, once the window has settled, take the focus and put the insertion
        // point at the end with nothing selected.
        m_focusScheduled = true;
        QTimer::singleShot(0, this, [this] {
            if (!window() || !isVisible() || m_finished)
                return;
            setFocus(Qt::OtherFocusReason);
            deselect();
            setCursorPosition(int(text().size()));
        });
    }
    return QLineEdit::event(event);
}

void InlineEditor::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        finish(true);
        return;
    case Qt::Key_Escape:
        event->accept();
        finish(false);
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}

void InlineEditor::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // A context menu or the window losing activation leaves the edit open: the user comes
    // back to it. Any other loss of focus (a click elsewhere, Tab) ends it.
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    finish(true);
}

void InlineEditor::finish(bool saving)
{
    if (m_finished)
        return;
    m_finished = true;
    // The host usually drops this editor from its slot (with deleteLater, as we are still
    // inside one of its event handlers).
    if (saving)
        Q_EMIT committed();
    else
        Q_EMIT cancelled();
}
