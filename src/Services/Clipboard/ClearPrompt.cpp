#include "Services/Clipboard/ClearPrompt.h"

#include "Platform/AlertPresenter.h"
#include "Platform/Clock.h"
#include "Services/Clipboard/ClipboardStore.h"
#include "Services/Sound/SoundBank.h"

ClearPrompt::ClearPrompt(ClipboardStore &store, SoundBank &sounds, ClearRequest request, QDateTime openedAt,
    ClipboardCalendar calendar, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_sounds(sounds)
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
    // Answered: the question says what it deleted until it closes. Counting what is left would
    // read the whole history on this thread while the deletion is written off it, and flash the
    // question's empty form.
    disconnect(&m_store, &ClipboardStore::revisionChanged, this, &ClearPrompt::recount);
    m_store.deleteItems(m_request, m_openedAt, m_calendar);
    m_sounds.play(SoundBank::Sound::Pop);
    Q_EMIT finished();
}

void ClearPrompt::dismiss()
{
    Q_EMIT finished();
}

Alert ClearPrompt::alert() const
{
    Alert alert;
    alert.title = title();
    alert.informativeText = message();
    if (isEmpty()) {
        alert.buttons = QStringList { QStringLiteral("OK") };
        return alert;
    }
    // Return keeps the history; deleting takes a deliberate click.
    alert.buttons = QStringList { QStringLiteral("Cancel"), deleteLabel() };
    alert.cancelButton = 0;
    return alert;
}

void ClearPrompt::ask(
    ClipboardStore &store, SoundBank &sounds, const Clock &clock, AlertPresenter &alerts, const ClearRequest &request)
{
    ClearPrompt prompt(store, sounds, request, clock.now());
    connect(&prompt, &ClearPrompt::countChanged, &prompt, [&prompt, &alerts] { alerts.update(prompt.alert()); });
    const int answer = alerts.present(prompt.alert());
    disconnect(&prompt, &ClearPrompt::countChanged, &prompt, nullptr);
    if (!prompt.isEmpty() && answer == 1)
        prompt.confirm();
    else
        prompt.dismiss();
}

void ClearPrompt::recount()
{
    const qint64 count = m_store.count(m_request, m_openedAt, m_calendar);
    if (count == m_count)
        return;
    m_count = count;
    Q_EMIT countChanged();
}
