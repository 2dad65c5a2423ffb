// Capture benchmarks.
// 1. The capture of one screenshot-sized copy: a 3840 × 2160 PNG taken from the clipboard
//    snapshot to its stored image and thumbnail, in process.
// 2. Over a private X server (xvfb-run), through the running application (started as main()
//    starts it, over the real X clipboard): the time from another program's copy to the stored
//    entry, for a short text and for that PNG, with the main thread's longest stall meanwhile,
//    and a burst of 600 distinct copies, one every 0.1 s, each held until the next.
// Usage: bench_capture [--in-process | --x11] [--no-burst]; without a part both run.
#include "Platform/linux/QtSystemClipboard.h"
#include "RunningApplication.h"
#include "Services/Clipboard/ClipboardCaptures.h"
#include "Services/Clipboard/ClipboardFiles.h"
#include "Services/Clipboard/ClipboardStore.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QImageWriter>
#include <QMimeData>
#include <QProcess>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// CLOCK_MONOTONIC: one clock for both processes.
qint64 monotonicNs()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// A fixed picture: gradients with some deterministic noise, so that PNG has work to do. `seed`
// varies the noise, so that every copy is a new entry.
QByteArray screenshot(quint32 seed)
{
    QImage image(3840, 2160, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int noise = (x % 64 < 8) ? int(random.bounded(32)) : 0;
            line[x] = qRgb((x * 255 / 3840 + noise) & 0xff, (y * 255 / 2160) & 0xff, ((x + y) / 24 + noise) & 0xff);
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "png").write(image);
    return bytes;
}

qint64 processorMs()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

struct Figures
{
    QList<double> ms;
    // For a picture: from the copy to the reader's snapshot, and from there to the entry stored.
    QList<double> read;
    QList<double> captured;
    // The main thread's longest stall from the copy to the entry stored.
    QList<double> stall;

    static double median(QList<double> values)
    {
        std::sort(values.begin(), values.end());
        return values.isEmpty() ? 0 : values.at(values.size() / 2);
    }

    QString summary() const
    {
        if (ms.isEmpty())
            return QStringLiteral("no result");
        QList<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        return QStringLiteral("median %1 ms, min %2 ms, max %3 ms over %4 copies")
            .arg(sorted.at(sorted.size() / 2), 0, 'f', 1)
            .arg(sorted.first(), 0, 'f', 1)
            .arg(sorted.last(), 0, 'f', 1)
            .arg(sorted.size());
    }
};

int inProcess(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir folder;
    const QByteArray png = screenshot(42);
    ClipboardContents contents;
    contents.imageData = png;
    contents.imageType = QStringLiteral("image/png");
    contents.copiedAt = QDateTime::currentDateTimeUtc();

    Figures figures;
    for (int i = 0; i < 7; ++i) {
        QElapsedTimer timer;
        timer.start();
        const auto result = ClipboardCaptures::make(contents, folder.path());
        figures.ms.append(double(timer.nsecsElapsed()) / 1e6);
        if (!result || !result.value() || !result.value()->thumbnailPath) {
            std::fprintf(stderr, "capture failed\n");
            return 1;
        }
    }
    std::printf("capture of a 3840x2160 PNG (%.1f MB), in process: %s\n", double(png.size()) / 1e6,
        qPrintable(figures.summary()));
    return 0;
}

// The other program: copies on command from standard input and says when, on standard output.
//   text N      a short text          png N       a distinct 3840 × 2160 PNG
//   burst N MS  N distinct texts, one every MS milliseconds, then "done"
int offer(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QClipboard *clipboard = QGuiApplication::clipboard();
    const auto copy = [clipboard](QMimeData *mime, const QByteArray &hash) {
        std::printf("sent %lld %s\n", monotonicNs(), hash.constData());
        clipboard->setMimeData(mime, QClipboard::Clipboard);
        std::fflush(stdout);
    };
    const auto copyText = [copy](const QString &text) {
        auto *mime = new QMimeData;
        mime->setText(text);
        copy(mime, ClipboardFiles::sha256(text).toLatin1());
    };
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QTimer burst;
    int burstLeft = 0, burstIndex = 0;
    QObject::connect(&burst, &QTimer::timeout, &app, [&] {
        if (burstLeft-- <= 0) {
            burst.stop();
            std::printf("done\n");
            std::fflush(stdout);
            return;
        }
        copyText(QStringLiteral("burst copy %1 of a busy afternoon").arg(++burstIndex));
    });
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char line[256];
        const ssize_t length = ::read(STDIN_FILENO, line, sizeof line - 1);
        if (length <= 0) {
            QCoreApplication::quit();
            return;
        }
        const QList<QByteArray> words = QByteArray(line, length).trimmed().split(' ');
        const int n = words.value(1).toInt();
        if (words.first() == "text") {
            copyText(QStringLiteral("short copied text %1").arg(n));
        } else if (words.first() == "png") {
            const QByteArray png = screenshot(quint32(1000 + n));
            auto *mime = new QMimeData;
            mime->setData(QStringLiteral("image/png"), png);
            copy(mime, ClipboardFiles::sha256(png).toLatin1());
        } else if (words.first() == "burst") {
            burstLeft = n;
            burst.start(words.value(2).toInt());
        }
    });
    return QGuiApplication::exec();
}

// The watching side: the application as main() starts it, over the real X clipboard.
class Watcher
{
public:
    Watcher(int argc, char **argv)
        : m_app(argc, argv)
        , m_running(m_folder.filePath(QStringLiteral("data")), QDateTime::currentDateTime())
    {
        m_running.harness.facilities.systemClipboard = &m_clipboard;
        m_running.launchChecked();
        ClipboardStore &store = m_running.environment().clipboard;
        // After the save that recorded it: a queued call runs once record() has returned.
        QObject::connect(
            &store, &ClipboardStore::revisionChanged, &m_app, [this] { stampNewest(); }, Qt::QueuedConnection);
        QObject::connect(&m_offer, &QProcess::readyReadStandardOutput, &m_app, [this] { readOffer(); });
        // When the reader hands over a picture: the rest is the capture's.
        QObject::connect(&m_clipboard, &SystemClipboard::contentsRead, &m_app, [this](const ClipboardSnapshot &read) {
            if (read.data.contains(QStringLiteral("image/png")))
                m_pictureReadAt = monotonicNs();
        });
        m_offer.setProcessChannelMode(QProcess::SeparateChannels);
        m_offer.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        m_offer.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--offer") });
        m_offer.waitForStarted();
    }

    ~Watcher()
    {
        m_offer.closeWriteChannel();
        if (!m_offer.waitForFinished(3000))
            m_offer.kill();
    }

    int run(bool burst)
    {
        std::printf("copy to stored entry over X11, through the running application:\n");
        const Figures text = latencies("text", 21);
        std::printf("  short text: %s, longest main-thread stall %.1f ms\n", qPrintable(text.summary()),
            Figures::median(text.stall));
        const qint64 processor = processorMs();
        const Figures png = latencies("png", 7);
        const double processorEach = double(processorMs() - processor) / std::max<qsizetype>(1, png.ms.size());
        std::printf("  3840x2160 PNG: %s, %.0f ms of processor each\n", qPrintable(png.summary()), processorEach);
        std::printf("    read from its owner in %.1f ms, then captured and stored in %.1f ms (medians)\n",
            Figures::median(png.read), Figures::median(png.captured));
        RunningApplication::row("one 3840x2160 PNG copied -> stored (X11)",
            RunningApplication::ms(Figures::median(png.ms)) + " (read "
                + RunningApplication::ms(Figures::median(png.read)) + "), " + QByteArray::number(processorEach, 'f', 0)
                + " ms of processor, longest main-thread stall " + RunningApplication::ms(Figures::median(png.stall)));
        if (!burst)
            return 0;

        const qsizetype before = m_sent.size();
        command(QByteArray("burst 600 100"));
        wait([this] { return m_burstDone; }, 90000);
        wait([] { return false; }, 1500);
        int recorded = 0;
        for (qsizetype i = before; i < m_sent.size(); ++i) {
            if (m_running.environment().clipboard.itemWithHash(m_sent.at(i).hash))
                ++recorded;
        }
        std::printf("  burst of %lld distinct copies at 10 per second, each held 0.1 s: %d recorded\n",
            qlonglong(m_sent.size() - before), recorded);
        return 0;
    }

private:
    struct Sent
    {
        qint64 at = 0;
        QString hash;
    };

    Figures latencies(const char *kind, int copies)
    {
        Figures figures;
        for (int i = 0; i < copies; ++i) {
            const qsizetype index = m_sent.size();
            m_pictureReadAt = 0;
            RunningApplication::StallProbe probe;
            probe.start();
            command(QByteArray(kind) + ' ' + QByteArray::number(i));
            wait([&] { return m_sent.size() > index && m_stored.contains(m_sent.at(index).hash); }, 15000);
            if (m_sent.size() > index && m_stored.contains(m_sent.at(index).hash)) {
                const qint64 stored = m_stored.value(m_sent.at(index).hash);
                figures.ms.append(double(stored - m_sent.at(index).at) / 1e6);
                figures.stall.append(probe.longest());
                if (m_pictureReadAt > 0) {
                    figures.read.append(double(m_pictureReadAt - m_sent.at(index).at) / 1e6);
                    figures.captured.append(double(stored - m_pictureReadAt) / 1e6);
                }
            } else
                std::printf("  (a %s copy was not recorded)\n", kind);
            wait([] { return false; }, 150);
        }
        return figures;
    }

    void command(const QByteArray &line) { m_offer.write(line + '\n'); }

    // Turns the event loop, which sleeps between events, until `done` or the time-out.
    static void wait(const std::function<bool()> &done, int timeoutMs)
    {
        QElapsedTimer timer;
        timer.start();
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (done() || timer.elapsed() >= timeoutMs)
                loop.quit();
        });
        if (!done()) {
            poll.start(1);
            loop.exec();
        }
    }

    void stampNewest()
    {
        // By hash: the application's clock stands still, so the newest entries share one time.
        const qint64 now = monotonicNs();
        const ClipboardStore &store = m_running.environment().clipboard;
        for (qsizetype i = std::max<qsizetype>(0, m_sent.size() - 8); i < m_sent.size(); ++i) {
            const QString &hash = m_sent.at(i).hash;
            if (!m_stored.contains(hash) && store.itemWithHash(hash))
                m_stored.insert(hash, now);
        }
    }

    void readOffer()
    {
        while (m_offer.canReadLine()) {
            const QList<QByteArray> words = m_offer.readLine().trimmed().split(' ');
            if (words.first() == "sent")
                m_sent.append({ words.value(1).toLongLong(), QString::fromLatin1(words.value(2)) });
            else if (words.first() == "done")
                m_burstDone = true;
        }
    }

    QApplication m_app;
    QTemporaryDir m_folder;
    QtSystemClipboard m_clipboard;
    RunningApplication::Application m_running;
    QProcess m_offer;
    QList<Sent> m_sent;
    QHash<QString, qint64> m_stored; // content hash → when the entry was first seen stored
    bool m_burstDone = false;
    qint64 m_pictureReadAt = 0;
};

// Runs this program again on a private X server.
int underXvfb(const char *self, bool burst)
{
    QProcess xvfb;
    xvfb.setProcessChannelMode(QProcess::ForwardedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("qt.qpa.*=false"));
    xvfb.setProcessEnvironment(environment);
    QStringList arguments { QStringLiteral("-a"), QStringLiteral("-s"),
        QStringLiteral("-screen 0 1024x768x24 -nolisten tcp"), QString::fromLocal8Bit(self), QStringLiteral("--x11") };
    if (!burst)
        arguments << QStringLiteral("--no-burst");
    xvfb.start(QStringLiteral("xvfb-run"), arguments);
    if (!xvfb.waitForStarted() || !xvfb.waitForFinished(600000)) {
        std::fprintf(stderr, "xvfb-run did not run (the X11 part needs Xvfb)\n");
        return 1;
    }
    return xvfb.exitCode();
}

} // namespace

int main(int argc, char **argv)
{
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    bool burst = true;
    for (int i = 1; i < argc; ++i)
        burst = burst && QByteArray(argv[i]) != "--no-burst";
    if (mode == "--offer")
        return offer(argc, argv);
    if (mode == "--x11") {
        Watcher watcher(argc, argv);
        return watcher.run(burst);
    }
    if (mode == "--in-process")
        return inProcess(argc, argv);
    if (const int status = inProcess(argc, argv))
        return status;
    return underXvfb(argv[0], burst);
}
