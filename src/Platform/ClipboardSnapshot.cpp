#include "Platform/ClipboardSnapshot.h"

#include "Platform/ClipboardTypes.h"

#include <QMimeData>

std::optional<QString> ClipboardSnapshot::text() const
{
    // A list of links is no text: only a real text representation counts.
    const auto found = data.constFind(ClipboardTypes::plainText());
    if (found == data.constEnd())
        return std::nullopt;
    return QString::fromUtf8(*found);
}

QList<QUrl> ClipboardSnapshot::fileUrls() const
{
    // text/uri-list: one address a line, lines ending in CR LF (a lone LF is taken too), "#"
    // starting a comment; a line feed inside a name is written %0A, so it stays in its line.
    // The file managers' own list has "copy" or "cut" on its first line.
    QList<QByteArray> lines;
    if (data.contains(ClipboardTypes::uriList())) {
        lines = data.value(ClipboardTypes::uriList()).split('\n');
    } else if (data.contains(ClipboardTypes::gnomeCopiedFiles())) {
        lines = data.value(ClipboardTypes::gnomeCopiedFiles()).split('\n');
        if (!lines.isEmpty())
            lines.removeFirst();
    }
    QList<QUrl> files;
    for (const QByteArray &line : std::as_const(lines)) {
        const QByteArray address = line.trimmed();
        if (address.isEmpty() || address.startsWith('#'))
            continue;
        QUrl url = QUrl::fromEncoded(address);
        // A file on another host is no file here; "localhost" is this one.
        if (!url.isValid() || url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) != 0)
            continue;
        if (url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
            url.setHost(QString());
        if (url.host().isEmpty() && !url.path().isEmpty())
            files.append(url);
    }
    return files;
}

std::optional<QByteArray> ClipboardSnapshot::bytes(const QString &mimeType) const
{
    QByteArray found = data.value(mimeType);
    if (found.isEmpty())
        return std::nullopt;
    return found;
}

QStringList ClipboardSnapshot::typesToTake(
    const QStringList &offered, const QStringList &wanted, const QStringList &unlessOffered)
{
    for (const QString &type : unlessOffered) {
        if (offered.contains(type))
            return {};
    }
    QStringList taken;
    for (const QString &type : wanted) {
        if (offered.contains(type))
            taken.append(type);
    }
    return taken;
}

ClipboardSnapshot ClipboardSnapshot::of(
    const QMimeData &mime, const QStringList &wanted, const QStringList &unlessOffered)
{
    ClipboardSnapshot snapshot;
    snapshot.types = mime.formats();
    for (const QString &type : typesToTake(snapshot.types, wanted, unlessOffered))
        snapshot.data.insert(type, type == ClipboardTypes::plainText() ? mime.text().toUtf8() : mime.data(type));
    return snapshot;
}
