#include "Services/Clipboard/ClearPrompt.h"

#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Sound/Sounds.h"

ClearPrompt::ClearPrompt(
    ClipboardStore &store, ClearRequest request, QDateTime openedAt, ClipboardCalendar calendar, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_request(request)
    , m_openedAt(std::move(openedAt))
    , m_calendar(std::move(calendar))
{
    connect(&m_store, &ClipboardStore::revisionChanged, this, &ClearPrompt::recount);
    m_count = m_store.count(m_request, m_openedAt, m_calendar);
}

QString ClearPrompt::title() const
{
    return m_request.title(m_count);
}

QString ClearPrompt::message() const
{
    return m_request.message(m_count, m_openedAt, m_calendar);
}

QString ClearPrompt::deleteLabel() const
{
    return m_request.deleteLabel();
}

void ClearPrompt::confirm()
{
    m_store.deleteItems(m_request, m_openedAt, m_calendar);
    Sounds::playPop();
    Q_EMIT finished();
}

void ClearPrompt::dismiss()
{
    Q_EMIT finished();
}

void ClearPrompt::recount()
{
    const qint64 count = m_store.count(m_request, m_openedAt, m_calendar);
    if (count == m_count)
        return;
    m_count = count;
    Q_EMIT countChanged();
}
