#include "Views/Clipboard/ClipboardView.h"

#include "Components/Controls/CrossFade.h"
#include "Components/Controls/KeyMonitor.h"
#include "Services/Clipboard/ClipboardMonitor.h"
#include "Services/Clipboard/ClipboardTabState.h"
#include "Services/Shell/MotionPreference.h"
#include "Views/Clipboard/ClipboardDetail.h"
#include "Views/Clipboard/ClipboardNotice.h"
#include "Views/Clipboard/ClipboardResults.h"
#include "Views/Clipboard/SearchField.h"

#include <QApplication>
#include <QLineEdit>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

// The list and the preview cross-fade as the preview opens and closes.
constexpr int pageFadeDuration = 200;

} // namespace

ClipboardView::ClipboardView(ClipboardTabState &state, ClipboardMonitor &monitor, Preferences &preferences,
    ImageLoader &images, Density density, QWidget *parent)
    : QWidget(parent)
    , m_monitor(monitor)
    , m_state(state)
    , m_pages(new QStackedWidget(this))
    , m_fade(new CrossFade(this, pageFadeDuration))
    , m_listPage(new QWidget(m_pages))
    , m_search(new SearchField(density, m_listPage))
    , m_notice(new ClipboardNotice(preferences, monitor, density, nullptr, m_listPage))
    , m_results(new ClipboardResults(m_state, preferences, images, density, m_listPage))
    , m_detail(new ClipboardDetail(m_state, images, density, m_pages))
    , m_keys(new KeyMonitor(m_listPage))
{
    const bool compact = density == Density::Compact;
    auto *column = new QVBoxLayout(m_listPage);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    const int side = compact ? 12 : 0;
    auto *searchBox = new QVBoxLayout;
    searchBox->setContentsMargins(side, 0, side, 0);
    searchBox->addWidget(m_search);
    column->addLayout(searchBox);
    auto *noticeBox = new QVBoxLayout;
    noticeBox->setContentsMargins(side, 0, side, 0);
    noticeBox->addWidget(m_notice);
    column->addLayout(noticeBox);
    column->addWidget(m_results, 1);

    auto *frame = new QVBoxLayout(this);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->addWidget(m_pages);
    m_pages->addWidget(m_listPage);
    m_pages->addWidget(m_detail);

    connect(m_search, &SearchField::textEdited, &m_state, &ClipboardTabState::setQuery);
    connect(m_search, &SearchField::escapePressed, &m_state, &ClipboardTabState::escape);
    connect(&m_state, &ClipboardTabState::queryChanged, this, [this] { m_search->setText(m_state.query()); });
    connect(&m_state, &ClipboardTabState::selectionChanged, this,
        [this] { m_search->setActive(!m_state.selection().has_value()); });
    connect(&m_state, &ClipboardTabState::searchFocusRequested, this, [this] {
        if (!showsPreview())
            m_search->focusField();
    });
    connect(&m_state, &ClipboardTabState::previewChanged, this, [this] {
        // Back to the list only once the key that closed the preview (Escape, Space) has been
        // delivered, so the list's own keys do not take the same press as well.
        if (m_state.previewItem())
            refreshPage();
        else
            QMetaObject::invokeMethod(this, &ClipboardView::refreshPage, Qt::QueuedConnection);
    });
    connect(&m_state, &ClipboardTabState::copyFailed, this, [] { QApplication::beep(); });
    m_keys->setHandler([this](const QKeyEvent &key) {
        return m_state.handleListKey(key.key(), key.modifiers(), m_search->field()->hasFocus());
    });
    refreshPage();
}

ClipboardView::~ClipboardView() = default;

bool ClipboardView::showsPreview() const
{
    return m_pages->currentWidget() == m_detail;
}

void ClipboardView::refreshPage()
{
    // A preview whose entry is gone shows the list.
    const bool preview = m_state.previewItem().has_value();
    if (preview)
        m_detail->refresh();
    QWidget *shown = preview ? static_cast<QWidget *>(m_detail) : m_listPage;
    const QWidget *focused = QApplication::focusWidget();
    const bool focusInPreview = focused && (focused == m_detail || m_detail->isAncestorOf(focused));
    // The tab is as tall as the page it shows, not as the taller of the two.
    for (QWidget *page : { static_cast<QWidget *>(m_detail), m_listPage })
        page->setSizePolicy(page == shown ? QSizePolicy::Preferred : QSizePolicy::Ignored,
            page == shown ? QSizePolicy::Preferred : QSizePolicy::Ignored);
    m_fade->switchTo(m_pages, shown);
    m_pages->updateGeometry();
    updateGeometry();
    if (preview)
        m_detail->setFocus(Qt::OtherFocusReason);
    else if (focusInPreview)
        m_search->focusField(); // the previewed entry went away under the user's keys
}

void ClipboardView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_monitor.refreshAccess();
    if (!showsPreview())
        m_search->focusField();
}
