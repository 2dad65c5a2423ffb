#pragma once

#include "Platform/SystemClipboard.h"

#include <QThread>

#include <atomic>

class X11SelectionReader;

// The CLIPBOARD selection. Qt reports every change of owner (another client's copy, or ours)
// through QClipboard::changed, from the X server's own notice; each one moves our change
// count. Writes go through QClipboard. Reads never go through it on X, where it waits on the
// owner inside the main thread: an X11SelectionReader on a thread of its own reads instead.
// Without an X display (tests) Qt's in-process clipboard is read, which never waits. The
// PRIMARY selection is read for its text only and counts no changes.
class QtSystemClipboard final : public SystemClipboard
{
    Q_OBJECT

public:
    explicit QtSystemClipboard(QObject *parent = nullptr);
    ~QtSystemClipboard() override;

    qint64 changeCount() const override { return m_changeCount.load(); }
    ClipboardAccess access() const override { return ClipboardAccess::Allowed; }
    std::optional<qint64> write(const ClipboardWrite &contents) override;

protected:
    void startReading(
        quint64 id, qint64 changeCount, const QStringList &mimeTypes, const QStringList &unlessOffered) override;
    void startReadingSelectedText(quint64 id) override;

private:
    std::atomic<qint64> m_changeCount = 0;
    bool m_writing = false;
    QThread m_readThread;
    // Lives on m_readThread; absent without an X display.
    X11SelectionReader *m_reader = nullptr;
};
