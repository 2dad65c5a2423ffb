#pragma once

// What the clipboard benchmarks share: a fixed generator of clipboard histories (the same seed
// gives the same history) and the timing and memory readings they report with.
#include "Models/Clipboard/ClipboardCapture.h"
#include "Services/Clipboard/ClipboardStore.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

namespace BenchHistory {

inline const QStringList &words()
{
    static const QStringList list = QStringLiteral(
        "the quick brown fox jumps over lazy dog meeting notes agenda invoice total amount paid "
        "address street city phone number email password reset link project build release version "
        "function return value error warning report draft review caf\u00e9 na\u00efve r\u00e9sum\u00e9 "
        "kitchen garden window table chair lamp paper coffee tea water market price order")
                                        .split(QLatin1Char(' '));
    return list;
}

// Words whose characters take three or four bytes in UTF-8: Chinese, Japanese, Korean, Thai and
// Hindi (with their marks), and signs that English text copied from the web is full of.
inline const QStringList &wideWords()
{
    static const QStringList list = QStringLiteral(
        "\u4f1a\u8bae \u8bb0\u5f55 \u53d1\u7968 \u603b\u989d \u6771\u4eac \u3042\u308a\u304c\u3068\u3046 "
        "\u30ab\u30bf\u30ed\u30b0 \ud68c\uc758 \uba54\ubaa8 \u0e23\u0e32\u0e04\u0e32 "
        "\u0e02\u0e2d\u0e1a\u0e04\u0e38\u0e13 "
        "\u0928\u092e\u0938\u094d\u0924\u0947 \u0915\u093f\u0924\u093e\u092c \u20ac12 \u2026 \u2013")
                                        .split(QLatin1Char(' '));
    return list;
}

inline QString sha256(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

// A fixed generator: the same seed gives the same history.
class Generator
{
public:
    // `widePercent` of the short texts hold characters of three or four bytes: curly quotes and
    // a dash, an emoji, or words of Asian scripts.
    Generator(QString folder, QDateTime now, int imagePercent = 2, int widePercent = 0)
        : m_folder(std::move(folder))
        , m_now(std::move(now))
        , m_imagePercent(imagePercent)
        , m_widePercent(widePercent)
    {
    }

    // The UTF-8 bytes of text the database holds inline.
    qint64 textBytes() const { return m_textBytes; }

    QString sentence(int minWords, int maxWords)
    {
        std::uniform_int_distribution<int> count(minWords, maxWords);
        std::uniform_int_distribution<int> pick(0, int(words().size()) - 1);
        QStringList parts;
        for (int i = count(m_random); i > 0; --i)
            parts << words()[pick(m_random)];
        parts << QString::number(m_serial++);
        return parts.join(QLatin1Char(' '));
    }

    ClipboardCapture next(const QDateTime &copiedAt)
    {
        ClipboardCapture capture;
        capture.id = QUuid::createUuid();
        capture.copiedAt = copiedAt;
        capture.firstCopiedAt = copiedAt;
        capture.sourceAppName = m_serial % 3 == 0 ? QStringLiteral("Text Editor") : QStringLiteral("Web Browser");
        capture.sourceAppId = QStringLiteral("org.example.app");
        const QString name = capture.id.toString(QUuid::WithoutBraces).toUpper();
        const int roll = std::uniform_int_distribution<int>(0, 99)(m_random);
        if (roll < m_imagePercent) {
            // An image with its side files.
            const QByteArray bytes = "\x89PNG fake image " + QByteArray::number(m_serial++) + QByteArray(2000, 'i');
            capture.kind = ClipboardKind::Image;
            capture.contentHash = sha256(bytes);
            capture.mimeType = QStringLiteral("public.png");
            capture.byteCount = bytes.size();
            capture.pixelWidth = 640;
            capture.pixelHeight = 480;
            capture.imagePath = QStringLiteral("Images/") + name + QStringLiteral(".png");
            capture.thumbnailPath = QStringLiteral("Thumbnails/") + name + QStringLiteral(".png");
            writeFile(m_folder + QLatin1Char('/') + *capture.imagePath, bytes);
            writeFile(m_folder + QLatin1Char('/') + *capture.thumbnailPath, bytes.left(500));
        } else if (roll < m_imagePercent + 1) {
            // A text over 20,000 characters: the head inline, the whole in a side file.
            QString whole;
            while (whole.size() <= 24000)
                whole += sentence(20, 40) + QLatin1Char('\n');
            const QByteArray utf8 = whole.toUtf8();
            capture.kind = ClipboardKind::Text;
            capture.content = whole.left(20000);
            capture.contentHash = sha256(utf8);
            capture.mimeType = QStringLiteral("public.utf8-plain-text");
            capture.byteCount = utf8.size();
            capture.textPath = QStringLiteral("Text/") + name + QStringLiteral(".txt");
            writeFile(m_folder + QLatin1Char('/') + *capture.textPath, utf8);
        } else {
            QString text = sentence(3, 30);
            const bool link = roll < m_imagePercent + 8;
            if (!link && m_widePercent > 0 && std::uniform_int_distribution<int>(0, 99)(m_random) < m_widePercent)
                text = widened(text);
            capture.kind = link ? ClipboardKind::Url : ClipboardKind::Text;
            capture.content = link
                ? QStringLiteral("https://example.org/") + text.split(QLatin1Char(' ')).join(QLatin1Char('/'))
                : text;
            capture.contentHash = sha256(capture.content.toUtf8());
            capture.mimeType = QStringLiteral("public.utf8-plain-text");
            capture.byteCount = capture.content.toUtf8().size();
        }
        return capture;
    }

    // A short text as copied from a web page, a chat or a document in another script.
    QString widened(const QString &text)
    {
        switch (std::uniform_int_distribution<int>(0, 3)(m_random)) {
        case 0:
            return QStringLiteral("\u201c") + text + QStringLiteral("\u201d \u2014 it\u2019s");
        case 1:
            return text + QStringLiteral(" \U0001F44D");
        default: {
            std::uniform_int_distribution<int> pick(0, int(wideWords().size()) - 1);
            QStringList parts { text.section(QLatin1Char(' '), 0, 1) };
            for (int i = std::uniform_int_distribution<int>(3, 12)(m_random); i > 0; --i)
                parts << wideWords()[pick(m_random)];
            return parts.join(QLatin1Char(' '));
        }
        }
    }

    // Fills the store with `count` entries spread over the 400 days before `now`: one at a time
    // as copies arrive, or `batch` at a time as an import writes them, which is many times
    // quicker for a history made only to be read.
    void fill(ClipboardStore &store, int count, int batch = 1)
    {
        const qint64 span = qint64(400) * 24 * 3600 * 1000;
        QList<ClipboardCapture> captures;
        for (int i = 0; i < count; ++i) {
            const ClipboardCapture capture = next(m_now.addMSecs(-span + span * i / count));
            m_textBytes += capture.content.toUtf8().size();
            if (batch <= 1) {
                store.record(capture);
                continue;
            }
            captures << capture;
            if ((captures.size() == batch || i == count - 1) && !store.insertImported(std::exchange(captures, {})))
                std::printf("cannot fill the history\n");
        }
    }

private:
    QString m_folder;
    QDateTime m_now;
    int m_imagePercent;
    int m_widePercent;
    std::mt19937 m_random { 20261206 };
    qint64 m_serial = 0;
    qint64 m_textBytes = 0;
};

// Short texts as people copy them, about 113 bytes each: sentences from a large vocabulary,
// links, lines of code and shell, addresses, numbers and keys, from a dozen programs. Unlike
// Generator's history, whose long texts repeat 60 words, almost nothing here compresses.
class ShortTexts
{
public:
    ClipboardCapture next(const QDateTime &copiedAt)
    {
        ClipboardCapture capture;
        capture.id = QUuid::createUuid();
        capture.copiedAt = copiedAt;
        capture.firstCopiedAt = copiedAt;
        const int source = pick(int(sources().size()));
        capture.sourceAppName = sources()[source].first;
        capture.sourceAppId = sources()[source].second;
        const int roll = pick(100);
        capture.kind = roll < 20 ? ClipboardKind::Url : ClipboardKind::Text;
        capture.content = roll < 20 ? link() : roll < 45 ? code() : roll < 55 ? detail() : prose();
        const QByteArray utf8 = capture.content.toUtf8();
        capture.contentHash = sha256(utf8);
        capture.mimeType = QStringLiteral("public.utf8-plain-text");
        capture.byteCount = utf8.size();
        return capture;
    }

private:
    static const QList<std::pair<QString, QString>> &sources()
    {
        static const QList<std::pair<QString, QString>> list = [] {
            QList<std::pair<QString, QString>> made;
            for (const QString &name : QStringLiteral("Web Browser,Terminal,Text Editor,Mail,Chat,Notes,Office Writer,"
                                                      "Spreadsheet,File Manager,Code Editor,Password Vault,Reader")
                                           .split(QLatin1Char(','))) {
                made.append({ name, QStringLiteral("org.example.") + name.toLower().remove(QLatin1Char(' ')) });
            }
            return made;
        }();
        return list;
    }

    int pick(int below) { return std::uniform_int_distribution<int>(0, below - 1)(m_random); }

    // Zipf-like: a few words often, most rarely, over 20,000 made-up words of 2 to 4 syllables.
    QString word()
    {
        static const QStringList syllables
            = QStringLiteral("ka ro mi te su na lo ve pa di gu fe zo ri ba tha ne co ser tin mar les pol dun ap or "
                             "ex in un re con pro trans ment ing ed ly al ic ous ive able ter ber gen vis str ch qu")
                  .split(QLatin1Char(' '));
        const int rank = int(std::pow(20000.0, std::uniform_real_distribution<double>(0, 1)(m_random)));
        std::mt19937 shape(quint32(rank) * 2654435761U);
        QString made;
        for (int i = 2 + int(shape() % 3); i > 0; --i)
            made += syllables[int(shape() % quint32(syllables.size()))];
        return made;
    }

    QString token(int size)
    {
        static const QByteArray alphabet("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
        QString made;
        for (int i = 0; i < size; ++i)
            made += QLatin1Char(alphabet[pick(int(alphabet.size()))]);
        return made;
    }

    QString words(int count, const QString &separator)
    {
        QStringList parts;
        for (int i = 0; i < count; ++i)
            parts << word();
        return parts.join(separator);
    }

    QString prose()
    {
        QString sentence = words(10 + pick(22), QStringLiteral(" "));
        sentence[0] = sentence[0].toUpper();
        if (pick(4) == 0)
            sentence += QStringLiteral(", ") + QString::number(pick(100000)) + QStringLiteral(" €");
        return sentence + QLatin1Char('.');
    }

    QString link()
    {
        const QString host
            = word() + QLatin1Char('.') + QStringLiteral("com org net io de").split(QLatin1Char(' '))[pick(5)];
        QString made = QStringLiteral("https://") + (pick(2) ? QStringLiteral("www.") : QString()) + host
            + QLatin1Char('/') + words(1 + pick(4), QStringLiteral("/"));
        if (pick(2))
            made += QStringLiteral("?id=") + token(8 + pick(16)) + QStringLiteral("&ref=") + word();
        return made;
    }

    QString code()
    {
        const QString a = word();
        const QString b = word();
        switch (pick(6)) {
        case 0:
            return QStringLiteral("const auto %1 = %2.%3(%4, %5);").arg(a, b, word(), word()).arg(pick(1000));
        case 1:
            return QStringLiteral("if (%1 != nullptr && %1->%2()) {\n    return %3;\n}").arg(a, b, word());
        case 2:
            return QStringLiteral("git commit -m \"%1\"").arg(words(6 + pick(10), QStringLiteral(" ")));
        case 3:
            return QStringLiteral("SELECT %1, %2 FROM %3 WHERE %1 = %4 ORDER BY %2 DESC;")
                .arg(a, b, word())
                .arg(pick(100000));
        case 4:
            return QStringLiteral("ssh %1@%2.example.net -p %3 'tail -n 200 /var/log/%4.log'")
                .arg(a, b)
                .arg(1024 + pick(60000))
                .arg(word());
        default:
            return QStringLiteral("def %1(self, %2):\n    return self.%3(%2) + %4").arg(a, b, word()).arg(pick(99));
        }
    }

    QString detail()
    {
        switch (pick(5)) {
        case 0:
            return word() + QLatin1Char('.') + word() + QLatin1Char('@') + word() + QStringLiteral(".com");
        case 1:
            return QStringLiteral("+49 %1 %2").arg(100 + pick(900)).arg(1000000 + pick(9000000));
        case 2:
            return QUuid::createUuid().toString(QUuid::WithoutBraces);
        case 3:
            return QString::fromLatin1(
                QCryptographicHash::hash(token(12).toLatin1(), QCryptographicHash::Sha256).toHex());
        default:
            return QStringLiteral("%1 %2 Street %3, %4 %5")
                .arg(pick(300))
                .arg(word())
                .arg(pick(50))
                .arg(10000 + pick(90000))
                .arg(word());
        }
    }

    std::mt19937 m_random { 20261207 };
};

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

inline double milliseconds(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

inline double medianOf(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(milliseconds(work));
    return median(times);
}

inline qint64 statusKilobytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// Starts a new peak-memory measurement for this process.
inline void resetPeak()
{
    writeFile(QStringLiteral("/proc/self/clear_refs"), "5");
}

// Resident memory in KiB: anonymous (the heap, stacks), file-backed (mapped files and
// libraries, which the kernel may drop and read again) and shared.
struct Resident
{
    qint64 anon = 0;
    qint64 file = 0;
    qint64 shmem = 0;
    qint64 total() const { return anon + file + shmem; }
};

inline Resident resident()
{
    Resident now;
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return now;
    for (const QByteArray &line : status.readAll().split('\n')) {
        const auto value
            = [&line] { return line.mid(line.indexOf(':') + 1).trimmed().split(' ').first().toLongLong(); };
        if (line.startsWith("RssAnon:"))
            now.anon = value();
        else if (line.startsWith("RssFile:"))
            now.file = value();
        else if (line.startsWith("RssShmem:"))
            now.shmem = value();
    }
    return now;
}

// Resident memory over a stretch of work: before, after, the kernel's peak of the whole, and
// the peaks of its parts, sampled every two milliseconds on a thread of its own.
class MemoryWatch
{
public:
    MemoryWatch()
        : m_before(resident())
    {
        resetPeak();
        m_sampler = std::thread([this] {
            while (!m_done) {
                const Resident now = resident();
                m_peak.anon = std::max(m_peak.anon, now.anon);
                m_peak.file = std::max(m_peak.file, now.file);
                m_peak.shmem = std::max(m_peak.shmem, now.shmem);
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
    }
    ~MemoryWatch() { stop(); }
    MemoryWatch(const MemoryWatch &) = delete;
    MemoryWatch &operator=(const MemoryWatch &) = delete;

    // Ends the watch and prints what it saw, in MiB.
    void report(const char *what)
    {
        stop();
        const Resident after = resident();
        const auto mib = [](qint64 kib) { return double(kib) / 1024.0; };
        std::printf("  %s: resident %.1f MiB before (anonymous %.1f, files %.1f), %.1f after (%.1f, %.1f);\n"
                    "    peak %.1f MiB (the kernel's), anonymous at most %.1f, files at most %.1f\n",
            what, mib(m_before.total()), mib(m_before.anon), mib(m_before.file), mib(after.total()), mib(after.anon),
            mib(after.file), mib(statusKilobytes("VmHWM:")), mib(m_peak.anon), mib(m_peak.file));
    }

private:
    void stop()
    {
        if (!m_sampler.joinable())
            return;
        m_done = true;
        m_sampler.join();
    }

    Resident m_before;
    // Read by the sampler alone until it is joined.
    Resident m_peak;
    std::atomic<bool> m_done = false;
    std::thread m_sampler;
};

inline void report(const char *what, double ms)
{
    std::printf("  %-44s %9.3f ms\n", what, ms);
}

inline qint64 fileSize(const QString &path)
{
    return QFileInfo(path).size() + QFileInfo(path + QStringLiteral("-wal")).size();
}

} // namespace BenchHistory
