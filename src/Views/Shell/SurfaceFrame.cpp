#include "Views/Shell/SurfaceFrame.h"

#include "Components/Controls/ToneLabel.h"
#include "Components/Controls/VemraBadge.h"
#include "Services/Clipboard/ClipboardTabState.h"
#include "Services/Focus/FocusSessionManager.h"
#include "Services/Focus/FocusTabState.h"
#include "Services/Shell/Surface.h"
#include "Services/Todos/TodosTabState.h"
#include "Views/Clipboard/ClipboardView.h"
#include "Views/Focus/FocusView.h"
#include "Views/Shell/SectionPicker.h"
#include "Views/Shell/TabContent.h"
#include "Views/Todos/ClearAllButton.h"
#include "Views/Todos/ConfettiLayer.h"
#include "Views/Todos/FooterStatus.h"
#include "Views/Todos/TodoInput.h"

#include <QEvent>
#include <QLabel>

namespace {

ToneLabel *textLabel(const QString &text, Theme::Tone tone, int pixelSize, QFont::Weight weight, QWidget *parent)
{
    auto *label = new ToneLabel(text, tone, parent);
    label->setPixelFont(pixelSize, weight);
    return label;
}

} // namespace

SurfaceFrame::SurfaceFrame(
    const Environment &environment, Surface &surface, const QString &calendarKey, bool closesOnEscape, QWidget *parent)
    : QWidget(parent)
    , m_environment(environment)
    , m_surface(surface)
    , m_state(new TodosTabState(
          environment.todos, environment.clock, environment.settings, calendarKey, closesOnEscape, this))
{
}

SurfaceFrame::~SurfaceFrame() = default;

SurfaceFrame::Titles SurfaceFrame::makeTitles(QWidget *header, int badgeSize, int nameSize, int taglineSize)
{
    Titles titles;
    titles.badge = new VemraBadge(badgeSize, header);
    titles.name = textLabel(QStringLiteral("Vemra"), Theme::primary, nameSize, QFont::DemiBold, header);
    titles.tagline
        = textLabel(QStringLiteral("Offline todo for myself."), Theme::secondary, taglineSize, QFont::Normal, header);
    return titles;
}

SectionPicker *SurfaceFrame::makeSectionPicker(Density density, QWidget *parent)
{
    m_picker = new SectionPicker(density, parent);
    m_picker->bind(&m_surface);
    // The Focus segment carries a mark while a session runs and another tab is shown.
    FocusSessionManager &focus = m_environment.focus;
    const auto follow = [this, &focus] { m_picker->setSessionActive(focus.activeSession().has_value()); };
    connect(&focus, &FocusSessionManager::sessionChanged, m_picker, follow);
    follow();
    return m_picker;
}

TabContent *SurfaceFrame::makeContent(Density density, const TodosView::Metrics &metrics, QWidget *parent)
{
    m_density = density;
    m_content = new TabContent(m_surface, parent);
    m_todosView = new TodosView(*m_state, m_environment.sounds, density, metrics);
    return m_content;
}

void SurfaceFrame::addPages(int stretch)
{
    m_content->setPage(VemraTab::Todos, m_todosView, stretch);
    const Environment &e = m_environment;
    // The panel closes after a closing copy or a start, and pages its history in smaller pages.
    const bool closesSurface = Densities::closesSurface(m_density);
    m_clipboardState = new ClipboardTabState(e.clipboard, e.systemClipboard, e.sounds, e.clock, m_surface,
        Densities::clipboardPageSize(m_density), closesSurface, this);
    m_clipboardView = new ClipboardView(*m_clipboardState, e.monitor, e.preferences, e.images, m_density);
    m_content->setPage(VemraTab::Clipboard, m_clipboardView, stretch);
    m_focusState = new FocusTabState(e.focus, e.preferences, m_surface, closesSurface, this);
    m_focusView = new FocusView(*m_focusState, e.hotKeys, m_density);
    m_content->setPage(VemraTab::Focus, m_focusView, stretch);
}

void SurfaceFrame::makeFooterParts(QWidget *footer, int statusSize, bool statusGivesWay)
{
    m_statusGivesWay = statusGivesWay;
    m_status = new FooterStatus(*m_state, statusSize, footer);
    m_clearAll = new ClearAllButton(m_environment.todos, *m_state, m_environment.sounds, footer);
    for (auto signal : { &TodosTabState::todosChanged, &TodosTabState::dayChanged, &TodosTabState::todayChanged })
        connect(m_state, signal, this, &SurfaceFrame::refreshFooter);
    if (statusGivesWay)
        connect(m_state, &TodosTabState::confirmingClearChanged, this, &SurfaceFrame::refreshFooter);
    refreshFooter();
}

void SurfaceFrame::finish()
{
    // Completed todos throw their confetti over the whole surface.
    new ConfettiLayer(this);

    m_todosView->follow(&m_surface);
    m_state->follow(&m_surface);
}

void SurfaceFrame::refreshFooter()
{
    if (m_statusGivesWay)
        m_status->setVisible(!m_state->isConfirmingClear());
    m_clearAll->setVisible(!m_state->shownTodos().isEmpty());
}

void SurfaceFrame::dayChanged()
{
    m_state->refreshToday();
}

void SurfaceFrame::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_hasAppeared)
        return;
    m_hasAppeared = true;
    m_todosView->input()->focusField();
}
