#include "Services/Clipboard/ClipboardTabState.h"

#include "Platform/Clock.h"
#include "Services/Clipboard/ClearPrompt.h"
#include "Services/Clipboard/ClipboardListModel.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Shell/Surface.h"
#include "Services/Sound/SoundBank.h"

#include <QDesktopServices>
#include <QTimer>

#include <limits>

namespace {

// Command, Option and Control: Ctrl, Alt and Meta here. Shift does not count.
constexpr Qt::KeyboardModifiers commandKeys = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

bool isReturn(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

ClipboardTabState::ClipboardTabState(ClipboardStore &store, SystemClipboard &clipboard, SoundBank &sounds,
    const Clock &clock, Surface &surface, int pageSize, bool closesSurface, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_clipboard(clipboard)
    , m_sounds(sounds)
    , m_clock(clock)
    , m_surface(surface)
    , m_pageSize(qMax(1, pageSize))
    , m_closesSurface(closesSurface)
    , m_list(new ClipboardListModel(store, clock, m_pageSize, this))
{
    // A hidden surface's page is fetched again only when it shows: the panel and the window
    // each have one, and a deletion would otherwise have both read the history at once.
    m_list->setShown(m_surface.isVisible());
    connect(&m_surface, &Surface::isVisibleChanged, this, [this](bool visible) {
        if (!visible)
            reset();
        m_list->setShown(visible);
    });
    connect(&m_store, &ClipboardStore::revisionChanged, this, [this] {
        // The previewed entry deleted elsewhere (the other surface, a clearing): the tab shows its
        // list again. The id stays until the preview is closed, as for any preview of a gone entry.
        if (m_previewID && m_previewStored && !m_store.item(*m_previewID)) {
            m_previewStored = false;
            Q_EMIT previewChanged();
        }
    });
    connect(&m_surface, &Surface::focusRequestChanged, this, [this] {
        // Only for the clipboard tab: a hidden search field would take the keys of the tab shown.
        // While a preview is open (even one whose entry is gone) the focus stays where it is.
        if (!m_previewID && m_surface.tab() == VemraTab::Clipboard)
            Q_EMIT searchFocusRequested();
    });
}

ClipboardTabState::~ClipboardTabState() = default;

void ClipboardTabState::setQuery(const QString &text)
{
    QString query = text;
    if (query.size() > maxQueryLength)
        query.truncate(query.at(maxQueryLength - 1).isHighSurrogate() ? maxQueryLength - 1 : maxQueryLength);
    if (query == m_query)
        return;
    m_query = query;
    setSelection(std::nullopt);
    m_list->setLimit(m_pageSize);
    m_list->setQuery(m_query);
    Q_EMIT queryChanged();
}

void ClipboardTabState::setSelection(const std::optional<QUuid> &selection)
{
    if (selection == m_selection)
        return;
    m_selection = selection;
    Q_EMIT selectionChanged();
}

std::optional<ClipboardItem> ClipboardTabState::selectedItem() const
{
    if (!m_selection)
        return std::nullopt;
    return m_list->item(*m_selection);
}

std::optional<ClipboardItem> ClipboardTabState::previewItem() const
{
    if (!m_previewID)
        return std::nullopt;
    return m_store.item(*m_previewID);
}

void ClipboardTabState::preview(const ClipboardItem &item)
{
    if (m_previewID == item.id && m_previewStored)
        return;
    m_previewID = item.id;
    m_previewStored = true;
    Q_EMIT previewChanged();
}

void ClipboardTabState::closePreview()
{
    if (m_previewID) {
        m_previewID.reset();
        Q_EMIT previewChanged();
    }
    QTimer::singleShot(0, this, &ClipboardTabState::searchFocusRequested);
}

void ClipboardTabState::beginClearing(const ClearRequest &request)
{
    m_clearing = std::make_unique<ClearPrompt>(m_store, m_sounds, request, m_clock.now());
    connect(m_clearing.get(), &ClearPrompt::finished, this, &ClipboardTabState::endClearing, Qt::QueuedConnection);
    Q_EMIT clearingChanged();
}

void ClipboardTabState::endClearing()
{
    if (!m_clearing)
        return;
    m_clearing.reset();
    Q_EMIT clearingChanged();
}

bool ClipboardTabState::copy(const ClipboardItem &item, bool closing)
{
    if (!m_store.copy(item, m_clipboard, m_clock.now())) {
        Q_EMIT copyFailed();
        return false;
    }
    if (closing && m_closesSurface) {
        m_surface.close();
        return true;
    }
    setCopiedID(item.id);
    const QUuid id = item.id;
    QTimer::singleShot(copiedMarkDuration, this, [this, id] { markExpired(id); });
    return true;
}

void ClipboardTabState::markExpired(const QUuid &id)
{
    if (m_copiedID == id)
        setCopiedID(std::nullopt);
}

void ClipboardTabState::setCopiedID(const std::optional<QUuid> &id)
{
    if (id == m_copiedID)
        return;
    m_copiedID = id;
    Q_EMIT copiedChanged();
}

void ClipboardTabState::deleteItem(const ClipboardItem &item)
{
    if (m_previewID == item.id)
        closePreview();
    m_store.deleteItems({ item });
    m_sounds.play(SoundBank::Sound::Pop);
}

void ClipboardTabState::deleteFromList(const ClipboardItem &item)
{
    if (m_selection == item.id) {
        QList<QUuid> ids = m_list->ids();
        qsizetype at = ids.indexOf(item.id);
        // The row that takes its place may not be read yet.
        if (at >= 0 && at + 1 == ids.size() && m_list->canFetchMore()) {
            m_list->fetchMore();
            ids = m_list->ids();
            at = ids.indexOf(item.id);
        }
        if (at >= 0) {
            ids.removeAt(at);
            setSelection(ids.isEmpty() ? std::nullopt : std::optional(ids.at(qMin(at, ids.size() - 1))));
        }
    }
    deleteItem(item);
}

void ClipboardTabState::moveSelection(int offset)
{
    QList<QUuid> ids = m_list->ids();
    qsizetype at = m_selection ? ids.indexOf(*m_selection) : -1;
    // Past the rows read: the next ones are read first.
    if (at >= 0 && at + offset >= ids.size() && m_list->canFetchMore()) {
        m_list->fetchMore();
        ids = m_list->ids();
        at = ids.indexOf(*m_selection);
    }
    if (ids.isEmpty()) {
        setSelection(std::nullopt);
        return;
    }
    if (at < 0) {
        setSelection(ids.first());
        return;
    }
    const qsizetype next = at + offset;
    if (next < 0)
        setSelection(std::nullopt);
    else
        setSelection(ids.at(qMin(next, ids.size() - 1)));
}

void ClipboardTabState::showMore()
{
    if (m_closesSurface) {
        m_surface.expand();
        return;
    }
    const int limit = m_list->limit();
    m_list->setLimit(
        limit > std::numeric_limits<int>::max() - m_pageSize ? std::numeric_limits<int>::max() : limit + m_pageSize);
}

void ClipboardTabState::escape()
{
    if (!m_query.isEmpty())
        setQuery(QString());
    else if (m_closesSurface)
        m_surface.close();
}

void ClipboardTabState::reset()
{
    endClearing();
    setQuery(QString());
    setSelection(std::nullopt);
    if (m_previewID) {
        m_previewID.reset();
        Q_EMIT previewChanged();
    }
    m_list->setLimit(m_pageSize);
}

bool ClipboardTabState::handleListKey(int key, Qt::KeyboardModifiers modifiers, bool searchFocused)
{
    const Qt::KeyboardModifiers held = modifiers & commandKeys;
    const std::optional<ClipboardItem> selected = selectedItem();
    if (held) {
        if (held == Qt::ControlModifier && key == Qt::Key_C && selected) {
            copy(*selected, false);
            return true;
        }
        return false;
    }
    if (m_clearing) {
        if (key != Qt::Key_Escape)
            return false;
        endClearing();
        return true;
    }
    switch (key) {
    case Qt::Key_Up:
        if (!m_selection)
            return false;
        moveSelection(-1);
        return true;
    case Qt::Key_Down:
        moveSelection(1);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (selected) {
            copy(*selected, true);
            return true;
        }
        if (searchFocused && !m_list->items().isEmpty()) {
            copy(m_list->item(0), true);
            return true;
        }
        return false;
    case Qt::Key_Space:
        if (!selected)
            return false;
        preview(*selected);
        return true;
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        if (!selected)
            return false;
        deleteFromList(*selected);
        return true;
    case Qt::Key_Escape:
        if (!m_selection)
            return false;
        setSelection(std::nullopt);
        return true;
    default:
        setSelection(std::nullopt);
        return false;
    }
}

bool ClipboardTabState::handlePreviewKey(int key, Qt::KeyboardModifiers modifiers, bool selectsText)
{
    const std::optional<ClipboardItem> item = previewItem();
    if (!item)
        return false;
    const Qt::KeyboardModifiers held = modifiers & commandKeys;
    if (held) {
        if (held != Qt::ControlModifier || key != Qt::Key_C || selectsText)
            return false;
        copy(*item, false);
        return true;
    }
    if (isReturn(key)) {
        copy(*item, true);
        return true;
    }
    if (key == Qt::Key_Space || key == Qt::Key_Escape) {
        closePreview();
        return true;
    }
    return false;
}

bool ClipboardTabState::openLink(const ClipboardItem &item)
{
    const std::optional<QUrl> link = item.url();
    if (!link)
        return false;
    QDesktopServices::openUrl(*link);
    return true;
}
