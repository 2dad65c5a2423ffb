#pragma once

#include "Platform/ClipboardSnapshot.h"
#include "Platform/ClipboardWrite.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

// Whether this application may read the clipboard. X11 has no such permission, so the
// real clipboard is always allowed; the other states exist for tests.
enum class ClipboardAccess { Allowed, NotAsked, Asks, Denied };

// The system clipboard (the CLIPBOARD selection), read by type and written in one step.
// The change count grows by one for every change, whoever made it, including our own writes,
// and `changed` follows every step at once: X11 announces each new owner, so nothing needs
// to poll. Reading never waits: the content belongs to another program, which may answer late
// or never, so a read is asked for and its result arrives later by `contentsRead`.
class SystemClipboard : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual qint64 changeCount() const = 0;
    // Asks for the MIME types on offer at the change `changeCount` and the bytes of each of
    // `mimeTypes` among them, unless one of `unlessOffered` is offered: then the types only.
    // `contentsRead` follows on this object's thread, always after this call has returned, with
    // the number given here. A read whose change the count has passed before it was done, or
    // whose owner does not answer in time, finds nothing.
    quint64 read(qint64 changeCount, const QStringList &mimeTypes, const QStringList &unlessOffered = {});
    // Asks for the text selected in any program (the PRIMARY selection, which the middle button
    // pastes); `contentsRead` follows as for read(). No change count applies: nothing passes it.
    quint64 readSelectedText();
    virtual ClipboardAccess access() const = 0;
    // Replaces the content with every representation at once: the one way anything of ours
    // reaches the clipboard. Gives the change count after the write, or nothing when the
    // system refused it.
    virtual std::optional<qint64> write(const ClipboardWrite &contents) = 0;

Q_SIGNALS:
    // The change count has moved.
    void changed();
    void contentsRead(const ClipboardSnapshot &snapshot);

protected:
    // Starts the read numbered `id`; its result is signalled later, never from within.
    virtual void startReading(
        quint64 id, qint64 changeCount, const QStringList &mimeTypes, const QStringList &unlessOffered)
        = 0;
    virtual void startReadingSelectedText(quint64 id) = 0;

private:
    quint64 m_lastRead = 0;
};
