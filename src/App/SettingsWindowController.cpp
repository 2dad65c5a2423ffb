#include "App/SettingsWindowController.h"

#include "App/Tray/HostWindow.h"
#include "Components/Controls/OverflowArea.h"
#include "Components/Theme/Symbols.h"
#include "Components/Theme/Theme.h"
#include "Services/Shell/MotionPreference.h"

#include <QAbstractButton>
#include <QEasingCurve>
#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QVariantAnimation>

namespace {

constexpr int symbolSize = 22;
// The corner of a toolbar button's plate.
constexpr qreal plateRadius = 6;
constexpr int labelPixelSize = 11;

// One pane's item in the toolbar: its symbol above its title. The selected item sits on a
// faint rounded plate and takes the accent colour; the others wash faintly under the pointer.
class PaneButton final : public QAbstractButton
{
public:
    PaneButton(const QString &symbol, const QString &title, QWidget *parent)
        : QAbstractButton(parent)
        , m_symbol(symbol)
    {
        setText(title);
        setAccessibleName(title);
        setCheckable(true);
        // Tab reaches it and Space presses it; a click leaves the focus where it was.
        setFocusPolicy(Qt::TabFocus);
        setAttribute(Qt::WA_Hover);
        QFont labelFont = font();
        labelFont.setPixelSize(labelPixelSize);
        setFont(labelFont);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

    QSize sizeHint() const override
    {
        const int textWidth = fontMetrics().horizontalAdvance(text());
        return { qMax(56, textWidth + 20), 6 + symbolSize + 3 + fontMetrics().height() + 5 };
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPalette &colors = palette();
        Theme::Tone plate = Theme::clear;
        if (isChecked())
            plate = Theme::toolbarPlateChosen(colors);
        else if (isDown())
            plate = Theme::toolbarPlatePressed;
        else if (underMouse())
            plate = Theme::toolbarPlateHovered;
        if (plate.opacity > 0) {
            QPainterPath path;
            path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), plateRadius, plateRadius);
            painter.fillPath(path, Theme::color(plate, colors));
        }
        const QColor ink = Theme::color(isChecked() ? Theme::accent : Theme::secondary, colors);
        const QPixmap symbol = Symbols::pixmap(m_symbol, symbolSize, ink, devicePixelRatioF());
        painter.drawPixmap(QPointF((width() - symbolSize) / 2.0, 6), symbol);
        painter.setPen(isChecked() ? ink : Theme::color(Theme::toolbarLabel, colors));
        painter.drawText(QRect(0, 6 + symbolSize + 3, width(), fontMetrics().height()), Qt::AlignCenter, text());
        if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange))
            Theme::paintFocusRing(painter, QRectF(rect()), plateRadius + 1, false, colors);
    }

private:
    QString m_symbol;
};

// The hairline between the toolbar and the pane.
class Hairline final : public QWidget
{
public:
    explicit Hairline(QWidget *parent)
        : QWidget(parent)
    {
        setFixedHeight(1);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Theme::color(Theme::toolbarDivider, palette()));
    }
};

// Lets Tab reach every button in `root` that takes no keyboard focus of its own (the capsule
// buttons keep out of the panel's typing that way), unless it sits in a control that Tab
// already reaches and that handles the keys itself (a stepper's arrows). Space then presses it;
// a click still leaves the focus where it was.
void letTabReachButtons(QWidget *root)
{
    const QList<QAbstractButton *> buttons = root->findChildren<QAbstractButton *>();
    for (QAbstractButton *button : buttons) {
        if (button->focusPolicy() != Qt::NoFocus)
            continue;
        bool inFocusableControl = false;
        for (QWidget *owner = button->parentWidget(); owner && owner != root; owner = owner->parentWidget())
            inFocusableControl = inFocusableControl || (owner->focusPolicy() & Qt::TabFocus);
        if (!inFocusableControl)
            button->setFocusPolicy(Qt::TabFocus);
    }
}

int indexOf(SettingsPane pane)
{
    for (size_t i = 0; i < SettingsPanes::all.size(); ++i) {
        if (SettingsPanes::all[i] == pane)
            return int(i);
    }
    return 0;
}

// The size a pane asks for: its own width (fixed when it fixes one) and the height of its
// content at that width.
QSize paneSize(QWidget *pane)
{
    pane->ensurePolished();
    const int width = pane->minimumWidth() == pane->maximumWidth() ? pane->maximumWidth() : pane->sizeHint().width();
    int height = pane->hasHeightForWidth() ? pane->heightForWidth(width) : pane->sizeHint().height();
    height = qMax(height, pane->minimumSizeHint().height());
    return { width, height };
}

} // namespace

SettingsWindowController::SettingsWindowController(const PaneBuilder &buildPane, QObject *parent)
    : QObject(parent)
    , m_window(new HostWindow)
    , m_resize(new QVariantAnimation(this))
{
    // A close button only: no resizing, no minimising, no window tabs.
    m_window->setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    m_window->layout()->setSizeConstraint(QLayout::SetNoConstraint);

    auto *content = new QWidget;
    auto *column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_toolbar = new QWidget(content);
    auto *row = new QHBoxLayout(m_toolbar);
    row->setContentsMargins(8, 6, 8, 6);
    row->setSpacing(2);
    row->addStretch(1);
    // No button group: in one, Tab stops only at the checked item (as in a row of radio buttons),
    // and the toolbar is a row of commands that Tab reaches one by one.
    for (SettingsPane pane : SettingsPanes::all) {
        auto *button = new PaneButton(SettingsPanes::systemImage(pane), SettingsPanes::title(pane), m_toolbar);
        row->addWidget(button);
        m_buttons[size_t(indexOf(pane))] = button;
        connect(button, &QAbstractButton::clicked, this, [this, pane] { selectFromToolbar(pane); });
    }
    row->addStretch(1);
    column->addWidget(m_toolbar);
    column->addWidget(new Hairline(content));

    // The pane scrolls under the toolbar on a screen too short for all of it.
    auto *panes = new QWidget;
    auto *paneColumn = new QVBoxLayout(panes);
    paneColumn->setContentsMargins(0, 0, 0, 0);
    paneColumn->setSpacing(0);
    for (SettingsPane pane : SettingsPanes::all) {
        QWidget *view = buildPane ? buildPane(pane) : nullptr;
        if (!view)
            view = new QWidget;
        view->setParent(panes);
        view->hide();
        paneColumn->addWidget(view, 0, Qt::AlignHCenter | Qt::AlignTop);
        m_panes[size_t(indexOf(pane))] = view;
    }
    paneColumn->addStretch(1);
    m_scroll = new OverflowArea(panes, content);
    column->addWidget(m_scroll, 1);
    m_window->setContent(content);
    connect(m_window, &HostWindow::roomChanged, this, [this] { fitWindow(false); });

    m_resize->setDuration(resizeDurationMs);
    m_resize->setEasingCurve(QEasingCurve::OutCubic);
    connect(m_resize, &QVariantAnimation::valueChanged, this,
        [this](const QVariant &value) { setContentSize(value.toSize()); });

    // A pane whose content grows or shrinks (a problem line appearing) resizes the window.
    m_window->installEventFilter(this);

    letTabReachButtons(m_window);
    select(SettingsPanes::all.front());
    fitWindow(false);
}

SettingsWindowController::~SettingsWindowController()
{
    m_resize->stop();
    delete m_window;
}

QWidget *SettingsWindowController::paneView(SettingsPane pane) const
{
    return m_panes[size_t(indexOf(pane))];
}

QList<QAbstractButton *> SettingsWindowController::toolbarButtons() const
{
    QList<QAbstractButton *> buttons;
    for (SettingsPane pane : SettingsPanes::all)
        buttons << m_buttons[size_t(indexOf(pane))];
    return buttons;
}

void SettingsWindowController::show(SettingsPane pane)
{
    select(pane);
    fitWindow(false);
    // A first showing, and every showing after the window was closed, centres it; a window
    // already on screen stays where it is.
    if (!m_window->isVisible())
        m_window->centreOnScreen();
    m_window->bringToFront();
}

QSize SettingsWindowController::fittingSize() const
{
    QWidget *view = paneView(m_pane);
    if (!view)
        return {};
    const QSize pane = paneSize(view);
    if (pane.width() <= 0 || pane.height() <= 0)
        return {};
    m_toolbar->ensurePolished();
    const QSize toolbar = m_toolbar->sizeHint();
    QSize size(qMax(pane.width(), toolbar.width()), toolbar.height() + 1 + pane.height());
    // No taller than the screen has room for, frame included; the pane then scrolls beside a
    // scroll bar of its own width.
    const QSize room = m_window->room();
    if (!room.isEmpty() && size.height() > room.height()) {
        size.setHeight(room.height());
        size.setWidth(qMax(pane.width() + m_scroll->verticalScrollBar()->sizeHint().width(), toolbar.width()));
    }
    return size;
}

bool SettingsWindowController::isResizing() const
{
    return m_resize->state() == QAbstractAnimation::Running;
}

bool SettingsWindowController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::LayoutRequest) {
        // A pane may have added buttons (a problem line's, the setup guide's).
        letTabReachButtons(m_window);
        const QSize target = fittingSize();
        const QSize heading = isResizing() ? m_resize->endValue().toSize() : m_window->size();
        if (target.isValid() && target != heading)
            fitWindow(m_window->isVisible());
    }
    return QObject::eventFilter(watched, event);
}

void SettingsWindowController::select(SettingsPane pane)
{
    const bool changed = pane != m_pane;
    m_pane = pane;
    const int selected = indexOf(pane);
    for (size_t i = 0; i < m_panes.size(); ++i) {
        if (m_panes[i] && int(i) != selected)
            m_panes[i]->hide();
    }
    if (QWidget *view = m_panes[size_t(selected)])
        view->show();
    for (size_t i = 0; i < m_buttons.size(); ++i)
        m_buttons[i]->setChecked(int(i) == selected);
    m_window->setWindowTitle(SettingsPanes::title(pane));
    if (changed)
        Q_EMIT paneChanged(pane);
}

void SettingsWindowController::selectFromToolbar(SettingsPane pane)
{
    select(pane);
    fitWindow(m_window->isVisible());
}

void SettingsWindowController::fitWindow(bool animated)
{
    const QSize target = fittingSize();
    if (!target.isValid() || target.width() <= 0 || target.height() <= 0)
        return;
    m_resize->stop();
    // Only the size changes: the window's top-left corner stays where it is.
    if (!animated || reducesMotion() || target == m_window->size()) {
        setContentSize(target);
        return;
    }
    m_resize->setStartValue(m_window->size());
    m_resize->setEndValue(target);
    m_resize->start();
}

void SettingsWindowController::setContentSize(const QSize &size)
{
    m_window->setFixedSize(size);
}

bool SettingsWindowController::reducesMotion() const
{
    return m_reducesMotion.value_or(MotionPreference::reducesMotion());
}
