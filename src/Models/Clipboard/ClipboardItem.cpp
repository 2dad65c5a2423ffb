#include "Models/Clipboard/ClipboardItem.h"

#include <QFileInfo>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace {

bool isHangulSyllable(QChar c)
{
    return c.unicode() >= 0xAC00 && c.unicode() <= 0xD7A3;
}

} // namespace

ClipboardItem::ClipboardItem(const ClipboardCapture &capture)
    : id(capture.id)
    , rawKind(ClipboardKinds::storedValue(capture.kind))
    , content(capture.content)
    , contentHash(capture.contentHash)
    , createdAt(capture.firstCopiedAt)
    , lastCopiedAt(capture.copiedAt)
    , copyCount(capture.copyCount)
    , mimeType(capture.mimeType)
    , sourceAppName(capture.sourceAppName)
    , sourceAppId(capture.sourceAppId)
    , byteCount(capture.byteCount)
    , pixelWidth(capture.pixelWidth)
    , pixelHeight(capture.pixelHeight)
    , imagePath(capture.imagePath)
    , thumbnailPath(capture.thumbnailPath)
    , textPath(capture.textPath)
{
}

ClipboardItem::Kind ClipboardItem::kind() const
{
    return ClipboardKinds::fromStoredValue(rawKind).value_or(Kind::Text);
}

QString ClipboardItem::title() const
{
    switch (kind()) {
    case Kind::Url:
        return shortened(content.trimmed());
    case Kind::Image:
        return QStringLiteral("Image");
    case Kind::File: {
        const QStringList paths = filePaths();
        if (paths.isEmpty())
            return QStringLiteral("File");
        QString first = QFileInfo(paths.first()).fileName();
        if (paths.size() == 1)
            return first;
        return first + QStringLiteral(" and ") + QString::number(paths.size() - 1) + QStringLiteral(" more");
    }
    case Kind::Text:
    case Kind::Code:
        break;
    }
    return leadingCharacters(content.trimmed(), 500);
}

QStringList ClipboardItem::filePaths() const
{
    if (kind() != Kind::File)
        return {};
    QStringList paths = content.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString &path : paths) {
        if (path.startsWith(QLatin1String("file:")))
            path = QUrl(path).toLocalFile();
    }
    return paths;
}

QString ClipboardItem::joinedPaths(const QStringList &paths)
{
    QStringList lines;
    lines.reserve(paths.size());
    for (const QString &path : paths) {
        const bool breaks = path.contains(QLatin1Char('\n')) || path.contains(QLatin1Char('\r'));
        lines.append(breaks ? QString::fromLatin1(QUrl::fromLocalFile(path).toEncoded()) : path);
    }
    return lines.join(QLatin1Char('\n'));
}

std::optional<QUrl> ClipboardItem::url() const
{
    if (kind() != Kind::Url)
        return std::nullopt;
    QString text = content.trimmed();
    if (text.toLower().startsWith(QStringLiteral("www.")))
        text.prepend(QStringLiteral("https://"));
    const QUrl link(text, QUrl::StrictMode);
    if (!link.isValid())
        return std::nullopt;
    const QString scheme = link.scheme().toLower();
    const bool web
        = scheme == QStringLiteral("http") || scheme == QStringLiteral("https") || scheme == QStringLiteral("ftp");
    if (web && !link.host().isEmpty())
        return link;
    if (scheme == QStringLiteral("mailto") && !link.path().isEmpty())
        return link;
    return std::nullopt;
}

std::optional<QString> ClipboardItem::dimensions() const
{
    if (pixelWidth < 1 || pixelHeight < 1)
        return std::nullopt;
    return QString::number(pixelWidth) + QStringLiteral(" \u00D7 ") + QString::number(pixelHeight);
}

QString ClipboardItem::idText() const
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

QString ClipboardItem::shortened(const QString &link)
{
    QString s = link;
    for (const QString &prefix : { QStringLiteral("https://"), QStringLiteral("http://") }) {
        if (s.toLower().startsWith(prefix))
            s.remove(0, prefix.size());
    }
    if (s.toLower().startsWith(QStringLiteral("www.")))
        s.remove(0, 4);
    if (s.endsWith(QLatin1Char('/')))
        s.chop(1);
    return s;
}

std::optional<ClipboardItem::Predicate> ClipboardItem::matching(const QString &text)
{
    // Blanks at the start are skipped before the cut, so that the cut keeps what was typed.
    qsizetype start = 0;
    while (start < text.size() && text.at(start).isSpace())
        ++start;
    qsizetype length = std::min(text.size() - start, maximumQueryLength);
    // Never half a character.
    if (length > 0 && text.at(start + length - 1).isHighSurrogate())
        --length;
    const QString trimmed = text.sliced(start, length).trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    Predicate predicate;
    predicate.text = trimmed;
    predicate.folded = searchFolded(trimmed);
    if (auto kind = ClipboardKinds::fromSearchWord(trimmed))
        predicate.kindWord = ClipboardKinds::storedValue(*kind);
    return predicate;
}

bool ClipboardItem::Predicate::accepts(const ClipboardItem &item) const
{
    if (!kindWord.isEmpty() && item.rawKind == kindWord)
        return true;
    return searchFolded(item.content).contains(folded) || searchFolded(item.sourceAppName).contains(folded);
}

bool ClipboardItem::recentOrder(const ClipboardItem &a, const ClipboardItem &b)
{
    const qint64 left = a.lastCopiedAt.toMSecsSinceEpoch();
    const qint64 right = b.lastCopiedAt.toMSecsSinceEpoch();
    if (left != right)
        return left > right;
    return a.idText() < b.idText();
}

QString ClipboardItem::searchFolded(const QString &text)
{
    // Plain ASCII is by far the common case; it needs only lower-casing.
    bool ascii = true;
    for (QChar c : text) {
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return text.toLower();

    // Compatibility forms (width, ligatures) and diacritics fold away, but a Hangul syllable
    // stays whole: split into its letters, "하" would be found inside "한". Letters typed
    // apart (as some systems store file names) are joined into their syllables first.
    const QString composed = text.normalized(QString::NormalizationForm_C);
    QString folded;
    folded.reserve(composed.size());
    qsizetype run = 0;
    const auto decomposeRun = [&](qsizetype end) {
        if (end <= run)
            return;
        for (QChar c : composed.sliced(run, end - run).normalized(QString::NormalizationForm_KD)) {
            const QChar::Category category = c.category();
            if (category != QChar::Mark_NonSpacing && category != QChar::Mark_Enclosing)
                folded.append(c);
        }
    };
    for (qsizetype i = 0; i < composed.size(); ++i) {
        if (isHangulSyllable(composed.at(i))) {
            decomposeRun(i);
            folded.append(composed.at(i));
            run = i + 1;
        }
    }
    decomposeRun(composed.size());
    return folded.toCaseFolded();
}

QString ClipboardItem::leadingCharacters(const QString &text, qsizetype count)
{
    // A text no longer than `count` code units has at most `count` characters.
    if (text.size() <= count)
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype characters = 0;
    while (characters < count) {
        if (finder.toNextBoundary() < 0)
            return text;
        ++characters;
    }
    return text.left(finder.position());
}
