#include "Views/Todos/TodoRow.h"

#include "Components/Controls/AppearTransition.h"
#include "Components/Controls/MenuPlacement.h"
#include "Components/Controls/TintedButton.h"
#include "Components/Theme/Theme.h"
#include "Models/Todos/Days.h"
#include "Services/Shell/MotionPreference.h"
#include "Views/Todos/ConfettiLayer.h"
#include "Views/Todos/InlineEditor.h"
#include "Views/Todos/TodoCheckbox.h"
#include "Views/Todos/TodoTitleText.h"

#include <QContextMenuEvent>
#include <QGraphicsDropShadowEffect>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QVariantAnimation>
#include <QtMath>

namespace {

constexpr int sideInset = 10;
constexpr int itemSpacing = 10;
constexpr int actionSpacing = 6;
constexpr qreal dragThreshold = 4;

TintedButtonStyle actionStyle(Density density)
{
    return { TintedButtonStyle::Tinted, Densities::actionSize(density), Densities::actionFontSize(density), false };
}

} // namespace

TodoRow::TodoRow(const Todo &todo, Density density, const QDate &today, QWidget *parent)
    : QWidget(parent)
    , m_todo(todo)
    , m_density(density)
    , m_today(today)
    , m_checkbox(new TodoCheckbox(Densities::checkboxSize(density), this))
    , m_title(new TodoTitleText(density, this))
    , m_liftAnimation(new QVariantAnimation(this))
{
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(false);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    m_checkbox->resize(m_checkbox->sizeHint());
    m_checkbox->setChecked(todo.isCompleted);
    ConfettiLayer::markSource(m_checkbox, todo.id);
    connect(m_checkbox, &QAbstractButton::clicked, this, &TodoRow::toggleRequested);
    m_liftAnimation->setDuration(150);
    m_liftAnimation->setEasingCurve(QEasingCurve::OutQuad);
    connect(m_liftAnimation, &QVariantAnimation::valueChanged, this,
        [this](const QVariant &value) { setLift(value.toReal()); });
    updateTexts();
}

void TodoRow::setTodo(const Todo &todo, const QDate &today)
{
    if (todo == m_todo && today == m_today)
        return;
    const bool sameTodo = todo.id == m_todo.id;
    const bool heightMayChange = todo.title != m_todo.title || todo.day != m_todo.day || today != m_today;
    m_todo = todo;
    m_today = today;
    m_checkbox->setChecked(todo.isCompleted);
    if (!sameTodo)
        ConfettiLayer::markSource(m_checkbox, todo.id);
    updateTexts();
    if (heightMayChange)
        updateGeometry();
    layoutChildren();
    update();
}

std::optional<QDate> TodoRow::overdueDay() const
{
    const std::optional<QDate> day = m_todo.dayStart();
    if (day && *day < m_today)
        return day;
    return std::nullopt;
}

void TodoRow::updateTexts()
{
    m_title->setTitle(m_todo.title);
    m_title->setDone(m_todo.isCompleted);
    const std::optional<QDate> overdue = overdueDay();
    m_title->setOverdueLabel(overdue ? Days::name(*overdue, m_today) : QString());
    m_checkbox->setToolTip(
        m_todo.isCompleted ? QStringLiteral("Mark as not done (Space)") : QStringLiteral("Mark as done (Space)"));
    m_checkbox->setAccessibleName(m_todo.title);
    m_checkbox->setAccessibleDescription(m_todo.isCompleted ? QStringLiteral("Done") : QStringLiteral("Not done"));
    setAccessibleName(m_todo.title);
}

void TodoRow::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    updateActions(true);
    update();
}

void TodoRow::setEditing(bool editing, const QString &draft)
{
    if (editing == isEditing())
        return;
    if (editing) {
        m_editor = new InlineEditor(draft, Densities::fontSize(m_density), this);
        connect(m_editor, &InlineEditor::textEdited, this, &TodoRow::draftChanged);
        connect(m_editor, &InlineEditor::committed, this, &TodoRow::commitRequested);
        connect(m_editor, &InlineEditor::cancelled, this, &TodoRow::cancelRequested);
        m_title->hide();
        layoutChildren();
        m_editor->show();
    } else {
        InlineEditor *editor = m_editor;
        m_editor = nullptr;
        // Reports from the field are over once the host ends the edit; it may be inside one of
        // the field's own handlers, so the field goes on the next turn.
        editor->disconnect(this);
        editor->hide();
        editor->deleteLater();
        m_title->show();
    }
    updateActions(false);
    updateGeometry();
    layoutChildren();
    update();
}

void TodoRow::setDragging(bool dragging)
{
    if (dragging == m_dragging)
        return;
    m_dragging = dragging;
    // The lifted look (the plate and its shadow) eases in and out.
    if (dragging && !graphicsEffect()) {
        auto *shadow = new QGraphicsDropShadowEffect(this);
        shadow->setBlurRadius(16);
        shadow->setOffset(0, 3);
        setGraphicsEffect(shadow);
    }
    m_liftAnimation->stop();
    if (isVisible() && !MotionPreference::reducesMotion()) {
        m_liftAnimation->setStartValue(m_lift);
        m_liftAnimation->setEndValue(dragging ? 1.0 : 0.0);
        m_liftAnimation->start();
    } else {
        setLift(dragging ? 1 : 0);
    }
    updateActions(true);
    update();
}

void TodoRow::setLift(qreal lift)
{
    m_lift = lift;
    if (auto *shadow = qobject_cast<QGraphicsDropShadowEffect *>(graphicsEffect())) {
        if (lift <= 0 && !m_dragging)
            setGraphicsEffect(nullptr);
        else
            shadow->setColor(Theme::color(Theme::liftShadow.times(lift), palette()));
    }
    update();
}

bool TodoRow::showsActions() const
{
    return (m_hovered || m_selected) && !isEditing() && !m_dragging;
}

void TodoRow::ensureActions()
{
    if (m_actions)
        return;
    m_actions = new QWidget(this);
    m_editButton = new TintedButton(QStringLiteral("Edit"), actionStyle(m_density), m_actions);
    m_editButton->setToolTip(QStringLiteral("Edit (Return)"));
    m_deleteButton = new TintedButton(QStringLiteral("Delete"), actionStyle(m_density), m_actions);
    m_deleteButton->setDestructive(true);
    m_deleteButton->setToolTip(QStringLiteral("Delete (Delete)"));
    const QSize edit = m_editButton->sizeHint();
    const QSize remove = m_deleteButton->sizeHint();
    m_editButton->setGeometry(0, 0, edit.width(), edit.height());
    m_deleteButton->setGeometry(edit.width() + actionSpacing, 0, remove.width(), remove.height());
    m_actions->resize(edit.width() + actionSpacing + remove.width(), qMax(edit.height(), remove.height()));
    connect(m_editButton, &QAbstractButton::clicked, this, &TodoRow::editRequested);
    connect(m_deleteButton, &QAbstractButton::clicked, this, &TodoRow::deleteRequested);
    m_actions->hide();
    // Hidden, the pair is faded out and shrunk to 0.9 about its centre.
    m_actionsFade = new AppearTransition(
        m_actions, { .durationMs = 140, .scaleFrom = 0.9, .keepsSpace = true, .curve = QEasingCurve::OutQuad });
    layoutChildren();
}

void TodoRow::updateActions(bool animated)
{
    const bool shown = showsActions();
    if (shown != m_actionsShown) {
        m_actionsShown = shown;
        if (shown)
            ensureActions();
        if (m_actions) {
            // Hidden buttons keep their place, so the title never reflows; they just stop taking clicks.
            m_actions->setAttribute(Qt::WA_TransparentForMouseEvents, !shown);
            if (animated && isVisible())
                m_actionsFade->setShown(shown);
            else
                m_actionsFade->jumpTo(shown);
        }
    }
    // Tab reaches the buttons of the selected row only, the one row the keyboard is on.
    if (m_actions) {
        const Qt::FocusPolicy policy = shown && m_selected ? Qt::TabFocus : Qt::NoFocus;
        m_editButton->setFocusPolicy(policy);
        m_deleteButton->setFocusPolicy(policy);
    }
}

int TodoRow::actionsWidth() const
{
    return actionsWidth(m_density);
}

int TodoRow::actionsWidth(Density density)
{
    // The same measure as the real pair, taken once per density.
    static int widths[2] = { -1, -1 };
    int &cached = widths[density == Density::Compact ? 0 : 1];
    if (cached < 0) {
        TintedButton edit(QStringLiteral("Edit"), actionStyle(density));
        TintedButton remove(QStringLiteral("Delete"), actionStyle(density));
        cached = edit.sizeHint().width() + actionSpacing + remove.sizeHint().width();
    }
    return cached;
}

int TodoRow::titleWidth(int width) const
{
    return titleWidth(m_density, width);
}

int TodoRow::titleWidth(Density density, int width)
{
    const int left = sideInset + qCeil(Densities::checkboxSize(density)) + itemSpacing;
    return qMax(1, width - left - itemSpacing - actionsWidth(density) - sideInset);
}

int TodoRow::heightForWidth(int width) const
{
    return heightFor(m_todo, m_today, m_density, width, isEditing());
}

int TodoRow::heightFor(const Todo &todo, const QDate &today, Density density, int width, bool editing, int *fitsFrom)
{
    const qreal lineHeight = Densities::lineHeight(density);
    qreal content = lineHeight;
    if (fitsFrom)
        *fitsFrom = 0;
    if (!editing) {
        const std::optional<QDate> day = todo.dayStart();
        const bool overdue = day && *day < today;
        const int title = titleWidth(density, width);
        qreal oneLine = 0;
        content = qMax<qreal>(
            lineHeight, TodoTitleText::heightFor(todo.title, overdue, density, title, fitsFrom ? &oneLine : nullptr));
        if (fitsFrom && oneLine > 0 && title > 1)
            *fitsFrom = width - title + qCeil(oneLine);
    }
    return qCeil(content + 2 * Densities::rowVerticalPadding(density));
}

QSize TodoRow::sizeHint() const
{
    const int width = 340;
    return { width, heightForWidth(width) };
}

void TodoRow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutChildren();
}

void TodoRow::layoutChildren()
{
    const qreal pad = Densities::rowVerticalPadding(m_density);
    const qreal lineHeight = Densities::lineHeight(m_density);
    const qreal box = Densities::checkboxSize(m_density);
    const qreal lineMid = pad + lineHeight / 2;
    // The checkbox widget keeps room for its shadow around the box; the box itself lines up.
    const QPointF boxCentre = m_checkbox->boxRect().center();
    m_checkbox->move(qRound(sideInset + box / 2 - boxCentre.x()), qRound(lineMid - boxCentre.y()));
    const int left = sideInset + qCeil(box) + itemSpacing;
    const int titleW = titleWidth(width());
    m_title->setGeometry(left, qRound(pad), titleW, m_title->heightForWidth(titleW));
    if (m_editor)
        m_editor->setGeometry(left, qRound(pad), titleW + itemSpacing + actionsWidth(), qCeil(lineHeight));
    if (m_actions)
        m_actions->move(width() - sideInset - m_actions->width(), qRound(lineMid - m_actions->height() / 2.0));
}

void TodoRow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QPalette &pal = palette();
    const QRectF bounds(rect());
    const qreal radius = Densities::cornerRadius(m_density);
    // The lifted row covers what slides beneath it.
    if (m_lift > 0)
        Theme::paintPlate(p, bounds, radius, Theme::color(Theme::liftedPlate.times(m_lift), pal));
    // Editing wins over selection, and selection over hover.
    Theme::Tone fill = Theme::clear;
    if (isEditing())
        fill = Theme::editingFill;
    else if (m_selected)
        fill = Theme::selectedFill;
    else if (m_hovered)
        fill = Theme::hoverFill;
    Theme::paintPlate(
        p, bounds, radius, Theme::color(fill, pal), isEditing() ? Theme::color(Theme::focusRing, pal) : QColor());
}

void TodoRow::setHovered(bool hovered)
{
    if (hovered == m_hovered)
        return;
    m_hovered = hovered;
    updateActions(true);
    update();
}

void TodoRow::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    setHovered(true);
}

void TodoRow::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    setHovered(false);
}

void TodoRow::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || isEditing()) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressAt = event->globalPosition();
    m_pressDragging = false;
    event->accept();
}

void TodoRow::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressAt) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QPointF delta = event->globalPosition() - *m_pressAt;
    if (!m_pressDragging && QLineF(QPointF(), delta).length() < dragThreshold)
        return;
    m_pressDragging = true;
    Q_EMIT dragMoved(delta.y());
}

void TodoRow::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_pressAt) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const bool dragged = m_pressDragging;
    m_pressAt.reset();
    m_pressDragging = false;
    if (dragged)
        Q_EMIT dragEnded();
    else if (!isEditing() && rect().contains(event->position().toPoint()))
        Q_EMIT selectRequested();
}

void TodoRow::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || isEditing()) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    event->accept();
    Q_EMIT editRequested();
}

QList<TodoRow::MoveTo> TodoRow::moveToItems(const Todo &todo, const QDate &today)
{
    const QDate listing = todo.dayStart().value_or(today);
    QList<MoveTo> items;
    for (int k = 0; k <= 6; ++k) {
        const QDate day = Days::adding(k, today);
        items.append({ Days::name(day, today), k == 0 ? std::nullopt : std::optional<QDate>(day), day != listing });
    }
    return items;
}

QMenu *TodoRow::makeContextMenu(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    connect(menu->addAction(QStringLiteral("Edit")), &QAction::triggered, this, &TodoRow::editRequested);
    connect(menu->addAction(m_todo.isCompleted ? QStringLiteral("Mark as Not Done") : QStringLiteral("Mark as Done")),
        &QAction::triggered, this, &TodoRow::toggleRequested);
    QMenu *moveTo = menu->addMenu(QStringLiteral("Move to"));
    for (const MoveTo &item : moveToItems(m_todo, m_today)) {
        QAction *action = moveTo->addAction(item.title);
        action->setEnabled(item.enabled);
        const std::optional<QDate> day = item.day;
        connect(action, &QAction::triggered, this, [this, day] { Q_EMIT scheduleRequested(day); });
    }
    moveTo->addSeparator();
    connect(moveTo->addAction(QStringLiteral("Another Day…")), &QAction::triggered, this, &TodoRow::pickDayRequested);
    menu->addSeparator();
    connect(menu->addAction(QStringLiteral("Delete")), &QAction::triggered, this, &TodoRow::deleteRequested);
    // After the chosen action has run: the rows may have moved under the pointer meanwhile.
    connect(menu, &QMenu::aboutToHide, this, &TodoRow::menuClosed, Qt::QueuedConnection);
    return menu;
}

void TodoRow::openMenuFromKeyboard()
{
    QMenu *menu = makeContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    MenuPlacement::popUp(menu, this, true);
}

void TodoRow::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = makeContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
    event->accept();
}
