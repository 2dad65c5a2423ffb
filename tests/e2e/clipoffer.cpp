// Offers the given representations on the CLIPBOARD selection, the way another application's
// copy does, and serves them until another client takes the selection or the process is ended.
// Usage: e2e_clipoffer TYPE VALUE [TYPE VALUE ...]; a VALUE of "@PATH" offers a file's bytes.
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>

#include <cstdio>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
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
