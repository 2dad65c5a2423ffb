#include "Views/Shell/ExpandedWindow.h"

#include "Components/Controls/AppearTransition.h"
#include "Components/Controls/OverflowArea.h"
#include "Services/Shell/Surface.h"
#include "Services/Todos/TodosTabState.h"
#include "Views/Focus/FocusView.h"
#include "Views/Shell/SectionPicker.h"
#include "Views/Shell/TabContent.h"
#include "Views/Todos/ClearAllButton.h"
#include "Views/Todos/FooterStatus.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

ExpandedWindow::ExpandedWindow(const Environment &environment, Surface &surface, QWidget *parent)
    : SurfaceFrame(environment, surface, QString::fromLatin1(calendarKey), false, parent)
{
    // The column keeps to the middle of a wide window and narrows with a small one.
    auto *centring = new QHBoxLayout(this);
    centring->setContentsMargins(0, 0, 0, 0);
    centring->setSpacing(0);
    m_column = new QWidget(this);
    m_column->setMaximumWidth(maxColumnWidth);
    m_column->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    centring->addStretch(0);
    centring->addWidget(m_column, 1);
    centring->addStretch(0);

    auto *column = new QVBoxLayout(m_column);
    column->setContentsMargins(40, 44, 40, 0);
    column->setSpacing(0);
    m_header = makeHeader();
    // It gives its room to the calendar card with the card's own motion.
    m_headerMotion = new AppearTransition(
        m_header, { .durationMs = 220, .slidesIn = true, .slidesOut = true, .yieldsRoom = true });
    column->addWidget(m_header);

    auto *picker = makeSectionPicker(Density::Regular, m_column);
    picker->setMaximumWidth(300);
    auto *pickerBox = new QWidget(m_column);
    auto *pickerLayout = new QHBoxLayout(pickerBox);
    pickerLayout->setContentsMargins(0, 0, 0, 16);
    pickerLayout->addWidget(picker);
    column->addWidget(pickerBox);

    TodosView::Metrics metrics;
    metrics.calendar = QMargins(0, 12, 0, 0);
    metrics.list = QMargins(0, 12, 0, 0);
    auto *content = makeContent(Density::Regular, metrics, m_column);
    todosView()->setFooter(makeFooter());
    addPages(1);
    column->addWidget(content, 1);

    for (auto signal :
        { &TodosTabState::showsCalendarChanged, &TodosTabState::movingIDChanged, &TodosTabState::todosChanged })
        connect(todosState(), signal, this, [this] { refreshHeader(true); });
    // Another tab comes at once, with its header or without.
    connect(&surface, &Surface::tabChanged, this, [this] { refreshHeader(false); });
    finish();
    refreshHeader(false);
}

ExpandedWindow::~ExpandedWindow() = default;

QWidget *ExpandedWindow::makeHeader()
{
    auto *header = new QWidget(m_column);
    auto *stack = new QVBoxLayout(header);
    stack->setContentsMargins(0, 0, 0, 22);
    stack->setSpacing(4);
    const Titles titles = makeTitles(header, 40, 26, 13);
    titles.name->setAlignment(Qt::AlignHCenter);
    titles.tagline->setAlignment(Qt::AlignHCenter);
    stack->addWidget(titles.badge, 0, Qt::AlignHCenter);
    stack->addSpacing(10);
    stack->addWidget(titles.name);
    stack->addWidget(titles.tagline);
    return header;
}

QWidget *ExpandedWindow::makeFooter()
{
    auto *footer = new QWidget;
    // Never squeezed below what it holds (always more than its minimum of 44): at the window's
    // smallest size the list gives way, not the status and the clear-all control.
    footer->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto *stack = new QVBoxLayout(footer);
    stack->setContentsMargins(0, 14, 0, 24);
    stack->setSpacing(10);
    stack->setAlignment(Qt::AlignTop);
    makeFooterParts(footer, 12, false);
    stack->addWidget(footerStatus(), 0, Qt::AlignHCenter);
    stack->addWidget(clearAllButton(), 0, Qt::AlignHCenter);
    // The clear-all question may take the footer's whole width, which follows the window's.
    footer->installEventFilter(this);
    m_footer = footer;
    return footer;
}

QSize ExpandedWindow::minimumSizeHint() const
{
    return isVisible() && m_least.isValid() ? m_least : leastNow();
}

QSize ExpandedWindow::leastNow() const
{
    return SurfaceFrame::minimumSizeHint().expandedTo(smallestSize);
}

void ExpandedWindow::setRoom(int height)
{
    if (height == m_room)
        return;
    m_room = height;
    holdMiddles();
}

bool ExpandedWindow::event(QEvent *event)
{
    const bool handled = SurfaceFrame::event(event);
    // The layout has just taken in a change of what the tab shows (the calendar card, the header
    // giving way to it, another tab): what is left for the middle changed with it.
    if (event->type() == QEvent::LayoutRequest) {
        holdMiddles();
        // The window learns of the least size only now that the change is whole: a part shown
        // before another hides (a tab's page, the header) lays out everything above it at
        // once, and the window would grow to hold both.
        const QSize least = leastNow();
        if (least != m_least) {
            m_least = least;
            updateGeometry();
        }
    } else if (event->type() == QEvent::Hide) {
        m_least = QSize();
    }
    return handled;
}

void ExpandedWindow::holdMiddles()
{
    for (OverflowArea *middle : { todosView()->middle(), focusView()->middle() }) {
        // A hidden tab's is held once it shows: only then is the rest of its column known.
        if (!middle->isVisibleTo(this))
            continue;
        const int rest = layout()->totalMinimumSize().height() - middle->minimumSizeHint().height();
        middle->setMostHeld(m_room == QWIDGETSIZE_MAX ? m_room : m_room - rest);
    }
}

bool ExpandedWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_footer && event->type() == QEvent::Resize)
        clearAllButton()->setRoom(m_footer->contentsRect().width(), Qt::AlignHCenter);
    return SurfaceFrame::eventFilter(watched, event);
}

bool ExpandedWindow::showsHeader() const
{
    return surface().tab() != VemraTab::Todos || !todosState()->showsCalendarCard();
}

void ExpandedWindow::refreshHeader(bool moves)
{
    const bool shown = showsHeader();
    if (moves)
        m_headerMotion->setShown(shown);
    else if (shown != m_headerMotion->isShown() || m_headerMotion->isRunning())
        m_headerMotion->jumpTo(shown);
}
