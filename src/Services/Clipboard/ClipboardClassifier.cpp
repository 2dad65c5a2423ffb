#include "Services/Clipboard/ClipboardClassifier.h"

#include "Platform/DesktopApps.h"

#include <QSet>
#include <QStringView>
#include <QUrl>

#include <algorithm>
#include <array>

namespace {

constexpr std::array<const char *, 15> strongTokens {
    "=>",
    "->",
    "==",
    "!=",
    "&&",
    "||",
    "::",
    "</",
    "/>",
    "();",
    "${",
    "+=",
    "-=",
    "#include",
    "#import",
};

constexpr std::array<const char *, 30> keywords {
    "import ",
    "export ",
    "from ",
    "const ",
    "let ",
    "var ",
    "func ",
    "function ",
    "def ",
    "class ",
    "struct ",
    "enum ",
    "interface ",
    "type ",
    "return ",
    "if (",
    "for (",
    "while (",
    "package ",
    "public ",
    "private ",
    "fn ",
    "use ",
    "async ",
    "await ",
    "SELECT ",
    "select ",
    "// ",
    "/* ",
    "<div",
};

constexpr std::array<const char *, 4> shortKeywords { "import ", "export ", "package ", "use " };

constexpr std::array<const char *, 7> codeEndings { ";", "{", "}", ")", "]", "):", "," };

const QSet<QString> &commands()
{
    static const QSet<QString> set = [] {
        QSet<QString> words;
        for (const char *word : { "npm", "npx", "yarn", "pnpm", "bun", "brew", "git", "cd", "ls", "sudo", "curl",
                 "wget", "docker", "kubectl", "pip", "pip3", "python", "python3", "node", "deno", "swift", "xcodebuild",
                 "xcrun", "cargo", "rustup", "ssh", "scp", "rm", "mkdir", "cp", "mv", "chmod", "chown", "grep", "sed",
                 "awk", "tar", "unzip", "vercel", "gh", "killall", "defaults", "ruby", "gem", "rails", "php",
                 "composer", "mvn", "gradle", "dotnet", "terraform", "aws", "gcloud", "psql", "ffmpeg", "pod",
                 "fastlane", "launchctl", "codesign" })
            words.insert(QString::fromLatin1(word));
        return words;
    }();
    return set;
}

bool isCodeSymbol(QChar c)
{
    static const QString symbols = QStringLiteral("(){}[]=<>:;\"'`*");
    return symbols.contains(c);
}

// Unicode spaces (Zs) and the tab.
bool isBlank(QChar c)
{
    return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space;
}

bool isBlankOrNewline(QChar c)
{
    const ushort u = c.unicode();
    return isBlank(c) || (u >= 0x0A && u <= 0x0D) || u == 0x85 || c.category() == QChar::Separator_Line
        || c.category() == QChar::Separator_Paragraph;
}

bool isLineBreak(QChar c)
{
    const ushort u = c.unicode();
    return (u >= 0x0A && u <= 0x0D) || u == 0x85 || u == 0x2028 || u == 0x2029;
}

template <typename Predicate> QStringView trimmed(QStringView text, Predicate drop)
{
    qsizetype start = 0, end = text.size();
    while (start < end && drop(text.at(start)))
        ++start;
    while (end > start && drop(text.at(end - 1)))
        --end;
    return text.mid(start, end - start);
}

bool startsWith(QStringView text, const char *prefix)
{
    return text.startsWith(QLatin1String(prefix));
}

bool lineIsCode(QStringView line)
{
    for (const char *token : strongTokens) {
        if (line.contains(QLatin1String(token)))
            return true;
    }
    if (line.endsWith(QLatin1Char(';')) || line.endsWith(QLatin1Char('{')))
        return true;

    qsizetype wordCount = 0;
    QStringView firstWord;
    for (QStringView word : line.tokenize(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (wordCount == 0)
            firstWord = word;
        ++wordCount;
    }
    const bool endsSentence = !line.isEmpty()
        && (line.back() == QLatin1Char('.') || line.back() == QLatin1Char('?') || line.back() == QLatin1Char('!'));

    for (const char *keyword : keywords) {
        if (!startsWith(line, keyword))
            continue;
        if (endsSentence)
            return false;
        if (std::any_of(line.begin(), line.end(), isCodeSymbol))
            return true;
        for (const char *shortKeyword : shortKeywords) {
            if (qstrcmp(keyword, shortKeyword) == 0)
                return wordCount < 4;
        }
        return false;
    }
    if (wordCount > 0 && commands().contains(firstWord.toString()))
        return wordCount > 16 ? false : !endsSentence;
    return false;
}

} // namespace

namespace ClipboardClassifier {

ClipboardKind kind(const QString &text, const QString &sourceAppId)
{
    if (isLink(text))
        return ClipboardKind::Url;
    if (isCodeApp(sourceAppId) || looksLikeCode(text))
        return ClipboardKind::Code;
    return ClipboardKind::Text;
}

bool isLink(const QString &text)
{
    const QStringView t = trimmed(QStringView(text), isBlankOrNewline);
    if (t.isEmpty() || std::any_of(t.begin(), t.end(), isBlankOrNewline))
        return false;
    if (t.startsWith(QLatin1String("www."), Qt::CaseInsensitive) && t.mid(4).contains(QLatin1Char('.')))
        return true;
    const QUrl url(t.toString(), QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("ftp"))
        return !url.host().isEmpty();
    if (scheme == QLatin1String("mailto"))
        return t.contains(QLatin1Char('@'));
    return false;
}

bool isCodeApp(const QString &appId)
{
    return DesktopApps::isCodeApp(appId);
}

bool isBlankText(const QString &text)
{
    return std::all_of(text.begin(), text.end(), isBlankOrNewline);
}

bool looksLikeCode(const QString &text)
{
    constexpr qsizetype maximumLines = 60;
    QStringView lines[maximumLines];
    qsizetype count = 0;
    const QStringView all(text);
    qsizetype start = 0;
    while (start <= all.size() && count < maximumLines) {
        qsizetype end = start;
        while (end < all.size() && !isLineBreak(all.at(end)))
            ++end;
        const QStringView line = all.mid(start, end - start);
        if (!trimmed(line, isBlank).isEmpty())
            lines[count++] = line;
        if (end >= all.size())
            break;
        // A carriage return followed by a line feed is one break.
        start = end
            + ((all.at(end) == QLatin1Char('\r') && end + 1 < all.size() && all.at(end + 1) == QLatin1Char('\n')) ? 2
                                                                                                                  : 1);
    }
    if (count == 0)
        return false;
    if (count == 1)
        return lineIsCode(trimmed(lines[0], isBlank));

    qsizetype codeLines = 0;
    for (qsizetype i = 0; i < count; ++i) {
        const QStringView line = lines[i];
        const QStringView bare = trimmed(line, isBlank);
        bool code = line.startsWith(QLatin1String("  ")) || line.startsWith(QLatin1Char('\t')) || lineIsCode(bare);
        for (const char *ending : codeEndings) {
            if (code)
                break;
            code = bare.endsWith(QLatin1String(ending));
        }
        if (code)
            ++codeLines;
    }
    return double(codeLines) / double(count) >= 0.5;
}

} // namespace ClipboardClassifier
