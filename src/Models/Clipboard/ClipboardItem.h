#pragma once

#include "Models/Clipboard/ClipboardCapture.h"
#include "Models/Clipboard/ClipboardKind.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QUuid>

#include <optional>

// One entry of the clipboard history, as stored by ClipboardStore. A plain value: views hold
// ids and fetch again after the store's revision changes.
struct ClipboardItem
{
    using Kind = ClipboardKind;

    // The search filter of the history list and its count: the folded query is contained in
    // the folded content or source application name, or the query names the entry's kind.
    struct Predicate
    {
        QString text; // the trimmed query
        QString folded; // searchFolded(text)
        QString kindWord; // raw value of the kind the query names, or empty

        bool accepts(const ClipboardItem &item) const;
    };

    // Stored fields, in schema order.
    QUuid id;
    QString rawKind;
    QString content;
    QString contentHash;
    QDateTime createdAt;
    QDateTime lastCopiedAt;
    qint64 copyCount = 0;
    QString mimeType;
    QString sourceAppName;
    QString sourceAppId;
    qint64 byteCount = 0;
    qint64 pixelWidth = 0;
    qint64 pixelHeight = 0;
    std::optional<QString> imagePath;
    std::optional<QString> thumbnailPath;
    std::optional<QString> textPath;

    ClipboardItem() = default;
    explicit ClipboardItem(const ClipboardCapture &capture);

    // The kind of rawKind; Text when rawKind is not one of the five raw values.
    Kind kind() const;
    // The one-line title of a row.
    QString title() const;
    // File entries: the paths of content, empty lines dropped; empty for other kinds.
    QStringList filePaths() const;
    // The content of a file entry: one path a line. A path that holds a line break is written
    // as its file address ("file:///tmp/a%0Ab"), so that it stays one line and one path.
    static QString joinedPaths(const QStringList &paths);
    // Link entries: the link to open ("www." gains "https://"). Only web and mail links are
    // given, so a link from an imported file can never open a local file or another scheme.
    std::optional<QUrl> url() const;
    // "W × H" when both pixel sizes are at least 1.
    std::optional<QString> dimensions() const;

    // The id in the stored form: 36 upper-case characters.
    QString idText() const;

    // The display form of a link: scheme, "www." and one trailing slash dropped.
    static QString shortened(const QString &link);
    // The longest query a search takes, in UTF-16 units; a longer one is searched for by its
    // start (an entry keeps at most 20000 characters inline, and a pasted page must not be
    // folded and looked for whole at every keystroke).
    static constexpr qsizetype maximumQueryLength = 1000;
    // No predicate for a blank query: everything matches.
    static std::optional<Predicate> matching(const QString &text);
    // The history order: newest lastCopiedAt first; the id breaks ties so pages are stable.
    static bool recentOrder(const ClipboardItem &a, const ClipboardItem &b);
    // Case, width and diacritic folding used on both sides of a search ("Café" → "cafe").
    static QString searchFolded(const QString &text);
    // The first `count` user-perceived characters of `text`.
    static QString leadingCharacters(const QString &text, qsizetype count);
};
