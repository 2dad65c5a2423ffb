#pragma once

#include "FixedClock.h"
#include "MemorySettingsStore.h"
#include "Screenshots.h"
#include "Services/Todos/TodoStore.h"
#include "Services/Todos/TodosTabState.h"
#include "SoundLog.h"
#include "Views/Todos/ConfettiLayer.h"
#include "Views/Todos/TodoListView.h"
#include "Views/Todos/TodoRow.h"

#include <QLineEdit>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

// A panel-like window holding a todo list over a temporary store, on Friday 6 March 2026.
struct TodoListFixture
{
    static inline const QDate friday { 2026, 3, 6 };

    QTemporaryDir dir;
    FixedClock clock { QDateTime(friday, QTime(9, 0)) };
    MemorySettingsStore settings;
    SoundLog sounds;
    std::unique_ptr<TodoStore> store;
    std::unique_ptr<TodosTabState> state;
    std::unique_ptr<QWidget> root;
    ConfettiLayer *confetti = nullptr;
    QLineEdit *input = nullptr;
    TodoListView *list = nullptr;
    bool reduceMotion = false;

    explicit TodoListFixture(Density density = Density::Compact)
    {
        store = TodoStore::make(dir.filePath(QStringLiteral("Todos.store")), &clock);
        state = std::make_unique<TodosTabState>(*store, clock, settings, QString(), true);
        root = std::make_unique<QWidget>();
        root->setPalette(Screenshots::lightPalette());
        root->setAutoFillBackground(true);
        auto *layout = new QVBoxLayout(root.get());
        layout->setContentsMargins(6, 6, 6, 6);
        // Stands in for the todo input line, which keeps the keyboard focus.
        input = new QLineEdit(root.get());
        layout->addWidget(input);
        QObject::connect(state.get(), &TodosTabState::inputFocusRequested, input, [this] { input->setFocus(); });
        list = new TodoListView(*store, *state, sounds.bank(), density, root.get());
        layout->addWidget(list);
        layout->addStretch();
        confetti = new ConfettiLayer(root.get());
        confetti->setMotionPreference([this] { return reduceMotion; });
        root->resize(density == Density::Compact ? 380 : 560, 420);
    }

    bool show()
    {
        root->show();
        root->activateWindow();
        if (!QTest::qWaitForWindowActive(root.get()))
            return false;
        input->setFocus();
        return true;
    }

    // Adds todos so that they are listed in the given order (the first given on top).
    QList<Todo> add(const QStringList &titles, const std::optional<QDate> &day = std::nullopt)
    {
        QList<Todo> added;
        for (auto it = titles.crbegin(); it != titles.crend(); ++it)
            added.prepend(*store->add(*it, day));
        return added;
    }

    QStringList shownTitles() const
    {
        QStringList titles;
        for (const Todo &t : list->rows())
            titles.append(t.title);
        return titles;
    }

    QString selectedTitle() const
    {
        const std::optional<QUuid> id = state->selection();
        if (!id)
            return QString();
        const std::optional<Todo> todo = store->todo(*id);
        return todo ? todo->title : QStringLiteral("<stale>");
    }
};
