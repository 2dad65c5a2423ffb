#pragma once

#include "Platform/SystemClipboard.h"

#include <QMimeData>
#include <QSet>

#include <memory>
#include <optional>

// An in-memory clipboard. Tests play other applications' copies with copy…(), each of which
// moves the change count and signals it, and inspect what the application wrote.
class FakeSystemClipboard final : public SystemClipboard
{
    Q_OBJECT

public:
    FakeSystemClipboard();

    qint64 changeCount() const override { return m_changeCount; }
    ClipboardAccess access() const override { return m_access; }
    std::optional<qint64> write(const ClipboardWrite &contents) override;

    // Another application's copy of the given representations.
    void copy(const ClipboardWrite &contents);
    void copy(std::unique_ptr<QMimeData> data);
    void copyText(const QString &text);
    void clearContents();
    // The text selected in another program; none when nothing is.
    void setSelectedText(const std::optional<QString> &text) { m_selectedText = text; }

    void setAccess(ClipboardAccess access) { m_access = access; }
    void setRefusesWrites(bool refuses) { m_refusesWrites = refuses; }

    const QMimeData &contents() const { return *m_mime; }
    int writeCount() const { return m_writeCount; }
    // How many reads were asked for.
    int readCount() const { return m_readCount; }
    // How many reads have not been answered yet; none once a reader is done with a change.
    int pendingReads() const { return m_pendingReads; }
    // Every type whose bytes a read has given out.
    const QSet<QString> &typesGiven() const { return m_typesGiven; }

protected:
    void startReading(
        quint64 id, qint64 changeCount, const QStringList &mimeTypes, const QStringList &unlessOffered) override;
    void startReadingSelectedText(quint64 id) override;

private:
    void answer(const ClipboardSnapshot &snapshot);
    std::unique_ptr<QMimeData> m_mime;
    qint64 m_changeCount = 0;
    ClipboardAccess m_access = ClipboardAccess::Allowed;
    bool m_refusesWrites = false;
    int m_writeCount = 0;
    int m_readCount = 0;
    int m_pendingReads = 0;
    QSet<QString> m_typesGiven;
    std::optional<QString> m_selectedText;
};
