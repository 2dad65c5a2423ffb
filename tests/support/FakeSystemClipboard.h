#pragma once

#include "Platform/SystemClipboard.h"

#include <QMimeData>

#include <memory>

// An in-memory clipboard. Tests play other applications' copies with copy…(), each of which
// moves the change count and signals it, and inspect what the application wrote.
class FakeSystemClipboard final : public SystemClipboard
{
    Q_OBJECT

public:
    FakeSystemClipboard();

    qint64 changeCount() const override { return m_changeCount; }
    QStringList types() const override;
    std::optional<QString> string() const override;
    QList<QUrl> fileUrls() const override;
    std::optional<QByteArray> data(const QString &mimeType) const override;
    ClipboardAccess access() const override { return m_access; }
    std::optional<qint64> write(const ClipboardWrite &contents) override;

    // Another application's copy of the given representations.
    void copy(const ClipboardWrite &contents);
    void copy(std::unique_ptr<QMimeData> data);
    void copyText(const QString &text);
    void clearContents();

    void setAccess(ClipboardAccess access) { m_access = access; }
    void setRefusesWrites(bool refuses) { m_refusesWrites = refuses; }

    const QMimeData &contents() const { return *m_mime; }
    int writeCount() const { return m_writeCount; }
    // How many typed reads (string, files, data) were made.
    int readCount() const { return m_readCount; }

private:
    std::unique_ptr<QMimeData> m_mime;
    qint64 m_changeCount = 0;
    ClipboardAccess m_access = ClipboardAccess::Allowed;
    bool m_refusesWrites = false;
    int m_writeCount = 0;
    mutable int m_readCount = 0;
};
