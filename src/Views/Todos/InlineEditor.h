#pragma once

#include <QLineEdit>

// The borderless one-line field that stands in for a todo's title while it is edited in
// place. It takes the keyboard focus by itself once it is in a window, with the insertion
// point after the last character, and ends the edit in exactly one of two ways, whichever
// comes first: Return, Enter or losing the focus commit; Escape cancels. Nothing is reported
// after that, so the focus loss that follows the host removing the field stays silent.
//
// One editor is one edit: the host makes a fresh editor for each edit and drops it after.
class InlineEditor final : public QLineEdit
{
    Q_OBJECT

public:
    explicit InlineEditor(const QString &text, qreal fontSize, QWidget *parent = nullptr);

    // Shows the host's text; an equal text is left alone so the insertion point survives.
    void setDraft(const QString &text);

    bool isFinished() const { return m_finished; }

Q_SIGNALS:
    // The edit ended: committed by Return, Enter or a loss of focus, or cancelled by Escape.
    // Exactly one of them, once; every change the user makes comes as textEdited() before.
    void committed();
    void cancelled();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void finish(bool saving);

    bool m_finished = false;
    bool m_focusScheduled = false;
};
