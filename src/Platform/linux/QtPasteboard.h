#pragma once

#include "Platform/Pasteboard.h"

#include <QObject>

// The CLIPBOARD selection through QClipboard. Qt reports every change of owner (another
// client's copy, or ours) through QClipboard::changed; each one moves our change count.
// The PRIMARY selection is ignored.
class QtPasteboard final : public QObject, public Pasteboard
{
    Q_OBJECT

public:
    explicit QtPasteboard(QObject *parent = nullptr);

    qint64 changeCount() const override { return m_changeCount; }
    QStringList types() const override;
    std::optional<QString> string() const override;
    QList<QUrl> fileUrls() const override;
    std::optional<QByteArray> data(const QString &mimeType) const override;
    PasteboardAccess access() const override { return PasteboardAccess::Allowed; }
    using Pasteboard::write;
    std::optional<qint64> write(std::unique_ptr<QMimeData> data) override;

private:
    qint64 m_changeCount = 0;
    bool m_writing = false;
};
