#pragma once

#include "Platform/SystemClipboard.h"

#include <QObject>

// The CLIPBOARD selection through QClipboard. Qt reports every change of owner (another
// client's copy, or ours) through QClipboard::changed; each one moves our change count.
// The PRIMARY selection is ignored.
class QtSystemClipboard final : public QObject, public SystemClipboard
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
    using SystemClipboard::write;
    std::optional<qint64> write(std::unique_ptr<QMimeData> data) override;

private:
    qint64 m_changeCount = 0;
    bool m_writing = false;
};
