#pragma once

#include "Models/Clipboard/ClearRequest.h"
#include "Models/Clipboard/ClipboardCalendar.h"

#include <QDateTime>
#include <QObject>
#include <QString>

class AlertPresenter;
class ClipboardStore;
class Clock;
class SoundBank;
struct Alert;

// The question asked before part of the clipboard history is deleted. Its moment is fixed
// when it opens: the count, the title, the date line and the deletion all work from that
// moment, so a question left open across midnight or into a new week deletes exactly the
// set it announced. The count follows the store, so a copy made meanwhile shows at once.
class ClearPrompt final : public QObject
{
    Q_OBJECT

public:
    ClearPrompt(ClipboardStore &store, SoundBank &sounds, ClearRequest request, QDateTime openedAt,
        ClipboardCalendar calendar = ClipboardCalendar::current(), QObject *parent = nullptr);

    const ClearRequest &request() const { return m_request; }
    QDateTime openedAt() const { return m_openedAt; }

    qint64 count() const { return m_count; }
    QString title() const;
    // The second line; may be empty.
    QString message() const;
    // "Delete All" for everything, "Delete" for a period.
    QString deleteLabel() const;
    // With nothing to delete the question only offers "OK".
    bool isEmpty() const { return m_count == 0; }

    // Deletes what the question covers and plays the pop sound; then the question is done.
    void confirm();
    // Cancel or OK: the question is done without deleting anything.
    void dismiss();

    // The question as a modal alert: Cancel first, so that Return keeps the history.
    Alert alert() const;
    // Asks the question for `request` as a modal alert, its moment fixed now; the alert follows
    // the history while it is open, and what it covers is deleted when the user agrees.
    static void ask(ClipboardStore &store, SoundBank &sounds, const Clock &clock, AlertPresenter &alerts,
        const ClearRequest &request);

Q_SIGNALS:
    void countChanged();
    void finished();

private:
    void recount();

    ClipboardStore &m_store;
    SoundBank &m_sounds;
    ClearRequest m_request;
    QDateTime m_openedAt;
    ClipboardCalendar m_calendar;
    qint64 m_count = 0;
};
