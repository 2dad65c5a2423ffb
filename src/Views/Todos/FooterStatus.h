#pragma once

#include "Models/Todos/Todo.h"

#include <QList>
#include <QWidget>

class AppearTransition;
class SymbolIcon;
class TodosTabState;
class RollingLabel;

// The status text at the start of the todos tab's footer: how many of the shown todos are
// open and done, or, with none shown, that everything is kept on this computer. A change of
// the text rolls its changed digits upwards; digits take equal widths.
class FooterStatus final : public QWidget
{
    Q_OBJECT

public:
    // `pixelSize` is the container's: 11 in the panel, 12 in the window.
    FooterStatus(TodosTabState &state, int pixelSize, QWidget *parent = nullptr);

    // "2 remaining · 1 completed": no singular, no special wording for zero.
    static QString summary(const QList<Todo> &todos);
    static QString emptyText();

    // What the footer says now.
    QString text() const;
    bool showsSymbol() const;

private:
    void refresh();

    TodosTabState &m_state;
    SymbolIcon *m_symbol;
    RollingLabel *m_text;
    // The symbol comes and goes with the roll of the text, not before it.
    AppearTransition *m_symbolMotion;
};
