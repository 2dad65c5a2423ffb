#pragma once

#include "Models/Clipboard/ClipboardCapture.h"
#include "Services/Clipboard/ClipboardStore.h"

#include <QCryptographicHash>
#include <QTemporaryDir>

#include <memory>

// A clipboard store in a temporary folder, filled with copies at chosen moments.
class ClipboardHistory
{
public:
    ClipboardHistory()
        : store(ClipboardStore::make(m_folder.path()))
    {
    }

    static ClipboardCapture capture(ClipboardKind kind, const QString &content, const QDateTime &when,
        const QString &app = QStringLiteral("Editor"))
    {
        ClipboardCapture capture;
        capture.id = QUuid::createUuid();
        capture.kind = kind;
        capture.content = content;
        capture.contentHash
            = QString::fromLatin1(QCryptographicHash::hash(content.toUtf8(), QCryptographicHash::Sha256).toHex());
        capture.mimeType
            = kind == ClipboardKind::Url ? QStringLiteral("public.url") : QStringLiteral("public.utf8-plain-text");
        capture.byteCount = content.toUtf8().size();
        capture.sourceAppName = app;
        capture.sourceAppId = QStringLiteral("org.example.") + app;
        capture.copiedAt = when;
        capture.firstCopiedAt = when;
        return capture;
    }

    ClipboardItem add(const QString &text, const QDateTime &when, const QString &app = QStringLiteral("Editor"))
    {
        return store->record(capture(ClipboardKind::Text, text, when, app));
    }
    ClipboardItem add(ClipboardKind kind, const QString &content, const QDateTime &when)
    {
        return store->record(capture(kind, content, when));
    }
    // `count` texts "entry 1" … "entry N", a minute apart, the last the newest.
    void fill(int count, const QDateTime &first)
    {
        for (int i = 1; i <= count; ++i)
            add(QStringLiteral("entry ") + QString::number(i), first.addSecs(60 * i));
    }

    QString folder() const { return m_folder.path(); }

private:
    QTemporaryDir m_folder;

public:
    std::unique_ptr<ClipboardStore> store;
};
