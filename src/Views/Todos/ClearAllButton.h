#pragma once

#include <QWidget>

class QGridLayout;
class AppearTransition;
class TintedButton;
class SoundBank;
class TodoStore;
class TodosTabState;
class ToneLabel;

// The two-step control in the todos tab's footer that deletes every todo the list shows: the
// first "Clear all" only asks; the red "Clear all" of the question deletes the shown todos (open
// and done alike, none that are not shown) in one write and pops. Whether it asks is the tab
// state's, so Escape and hiding the surface end the question too.
//
// The question is never cut: when it does not fit beside its buttons in the room the container
// gives (setRoom()), it takes a line of its own above them.
class ClearAllButton final : public QWidget
{
    Q_OBJECT

public:
    ClearAllButton(TodoStore &store, TodosTabState &state, SoundBank &sounds, QWidget *parent = nullptr);

    // The width the control may take in its footer, and where a question on a line of its own
    // is aligned.
    void setRoom(int width, Qt::Alignment wrappedAlignment = Qt::AlignRight);
    // Whether the question stands on its own line above the buttons.
    bool isWrapped() const { return m_wrapped; }

    // The resting button, and the question's parts.
    TintedButton *askButton() const { return m_ask; }
    TintedButton *cancelButton() const { return m_cancel; }
    TintedButton *confirmButton() const { return m_confirm; }
    ToneLabel *questionLabel() const { return m_question; }
    QString question() const;
    bool isConfirming() const;

private:
    void refresh();
    void arrange();
    void clear();

    TodoStore &m_store;
    SoundBank &m_sounds;
    TodosTabState &m_state;
    TintedButton *m_ask;
    QWidget *m_confirmation;
    QGridLayout *m_grid;
    ToneLabel *m_question;
    TintedButton *m_cancel;
    TintedButton *m_confirm;
    AppearTransition *m_askMotion;
    AppearTransition *m_confirmationMotion;
    int m_room = QWIDGETSIZE_MAX;
    Qt::Alignment m_wrappedAlignment = Qt::AlignRight;
    bool m_wrapped = false;
};
