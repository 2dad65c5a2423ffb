#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class TabFade;
class TintedButton;
class TodoStore;
class TodosTabState;

// The two-step control in the todos tab's footer that deletes every todo the list shows: the
// first "Clear all" only asks; the red "Clear all" of the question deletes the shown todos (open
// and done alike, none that are not shown) in one write and pops. Whether it asks is the tab
// state's, so Escape and hiding the surface end the question too.
class ClearAllButton final : public QWidget
{
    Q_OBJECT

public:
    ClearAllButton(TodoStore *store, TodosTabState *state, QWidget *parent = nullptr);

    // The resting button, and the question's parts.
    TintedButton *askButton() const { return m_ask; }
    TintedButton *cancelButton() const { return m_cancel; }
    TintedButton *confirmButton() const { return m_confirm; }
    QString question() const;
    bool isConfirming() const;

protected:
    void changeEvent(QEvent *event) override;

private:
    void refresh();
    void applyColors();
    void clear();

    QPointer<TodoStore> m_store;
    QPointer<TodosTabState> m_state;
    TintedButton *m_ask;
    QWidget *m_confirmation;
    QLabel *m_question;
    TintedButton *m_cancel;
    TintedButton *m_confirm;
    TabFade *m_askFade;
    TabFade *m_confirmationFade;
};
