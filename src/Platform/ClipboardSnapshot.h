#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

class QMimeData;

// What one read of the clipboard found: the MIME types on offer, and the bytes of those that
// were asked for and given.
struct ClipboardSnapshot
{
    // The read's own number, as SystemClipboard::read gave it.
    quint64 id = 0;
    // None when nothing is offered, or when the owner did not answer in time.
    QStringList types;
    // By MIME type; text/plain is always UTF-8.
    QHash<QString, QByteArray> data;

    // The plain text, when it was asked for and given.
    std::optional<QString> text() const;
    // The local files in a list that was asked for (text/uri-list, else
    // x-special/gnome-copied-files); other links, and files on other hosts, are left out.
    QList<QUrl> fileUrls() const;
    // The bytes given under a MIME type; absent when not given or empty.
    std::optional<QByteArray> bytes(const QString &mimeType) const;

    // The types offered, and the wanted types among them unless one of `unlessOffered` is.
    static QStringList typesToTake(
        const QStringList &offered, const QStringList &wanted, const QStringList &unlessOffered);
    // The reading of an in-process clipboard's content, as SystemClipboard::read describes it.
    static ClipboardSnapshot of(
        const QMimeData &mime, const QStringList &wanted, const QStringList &unlessOffered = {});
};

Q_DECLARE_METATYPE(ClipboardSnapshot)
