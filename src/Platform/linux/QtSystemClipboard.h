#pragma once

#include "Platform/SystemClipboard.h"

// The CLIPBOARD selection through QClipboard. Qt reports every change of owner (another
// client's copy, or ours) through QClipboard::changed, from the X server's own notice; each
// one moves our change count. The PRIMARY selection is ignored.
class QtSystemClipboard final : public SystemClipboard
{
    Q_OBJECT

public:
    explicit QtSystemClipboard(QObject *parent = nullptr);

    qint64 changeCount() const override { return m_changeCount; }
    QStringList types() const override;
    std::optional<QString> string() const override;
    QList<QUrl> fileUrls() const override;
    std::optional<QByteArray> data(const QString &mimeType) const override;
    ClipboardAccess access() const override { return ClipboardAccess::Allowed; }
    std::optional<qint64> write(const ClipboardWrite &contents) override;

private:
    qint64 m_changeCount = 0;
    bool m_writing = false;
};
