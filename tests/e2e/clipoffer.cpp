// Offers the given representations on the CLIPBOARD selection, the way another application's
// copy does, and serves them until another client takes the selection or the process is ended.
// Usage: e2e_clipoffer TYPE VALUE [TYPE VALUE ...]; a VALUE of "@PATH" offers a file's bytes.
//        e2e_clipoffer --burst COUNT MS PREFIX: COUNT texts "PREFIX 1", "PREFIX 2", …, one every
//        MS milliseconds, each held until the next; then "done" and the last one is served on.
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>

#include <cstdio>

namespace {

int burst(int count, int interval, const QString &prefix)
{
    QTimer timer;
    int copied = 0;
    QObject::connect(&timer, &QTimer::timeout, qApp, [&] {
        if (copied == count) {
            timer.stop();
            std::printf("done\n");
            std::fflush(stdout);
            return;
        }
        ++copied;
        QGuiApplication::clipboard()->setText(prefix + QLatin1Char(' ') + QString::number(copied));
    });
    // Like a single copy, the last one is served until another client takes the selection.
    QObject::connect(QGuiApplication::clipboard(), &QClipboard::changed, qApp, [&](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard && copied == count && !QGuiApplication::clipboard()->ownsClipboard())
            QCoreApplication::quit();
    });
    timer.start(interval);
    std::printf("offered\n");
    std::fflush(stdout);
    return QGuiApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc == 5 && QByteArray(argv[1]) == "--burst")
        return burst(QByteArray(argv[2]).toInt(), QByteArray(argv[3]).toInt(), QString::fromLocal8Bit(argv[4]));
    auto *mime = new QMimeData;
    for (int i = 1; i + 1 < argc; i += 2) {
        const QString type = QString::fromLocal8Bit(argv[i]);
        QByteArray value(argv[i + 1]);
        if (value.startsWith('@')) {
            QFile file(QString::fromLocal8Bit(value.mid(1)));
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", value.constData() + 1);
                return 2;
            }
            value = file.readAll();
        }
        mime->setData(type, value);
    }
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setMimeData(mime, QClipboard::Clipboard);
    if (!clipboard->ownsClipboard()) {
        std::fprintf(stderr, "the selection was refused\n");
        return 1;
    }
    QObject::connect(clipboard, &QClipboard::changed, &app, [clipboard](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard && !clipboard->ownsClipboard())
            QCoreApplication::quit();
    });
    std::printf("offered\n");
    std::fflush(stdout);
    return QGuiApplication::exec();
}
