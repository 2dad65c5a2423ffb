#include "Platform/linux/QtSystemClipboard.h"

#include "Platform/ClipboardTypes.h"
#include "Platform/x11/X11SelectionReader.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

QtSystemClipboard::QtSystemClipboard(QObject *parent)
    : SystemClipboard(parent)
{
    connect(QGuiApplication::clipboard(), &QClipboard::changed, this, [this](QClipboard::Mode mode) {
        // Our own write is counted once in write(), whatever the backend signals meanwhile.
        if (mode != QClipboard::Clipboard || m_writing)
            return;
        ++m_changeCount;
        Q_EMIT changed();
    });
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        m_reader = new X11SelectionReader(m_changeCount);
        m_reader->moveToThread(&m_readThread);
        connect(&m_readThread, &QThread::finished, m_reader, &QObject::deleteLater);
        connect(m_reader, &X11SelectionReader::finished, this, &SystemClipboard::contentsRead, Qt::QueuedConnection);
        m_readThread.setObjectName(QStringLiteral("clipboard reader"));
        m_readThread.start();
    }
}

QtSystemClipboard::~QtSystemClipboard()
{
    m_readThread.quit();
    m_readThread.wait();
}

void QtSystemClipboard::startReading(
    quint64 id, qint64 changeCount, const QStringList &mimeTypes, const QStringList &unlessOffered)
{
    if (m_reader) {
        QMetaObject::invokeMethod(
            m_reader,
            [reader = m_reader, id, changeCount, mimeTypes, unlessOffered] {
                reader->read(id, changeCount, mimeTypes, unlessOffered);
            },
            Qt::QueuedConnection);
        return;
    }
    ClipboardSnapshot snapshot;
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    if (mime && changeCount == m_changeCount.load())
        snapshot = ClipboardSnapshot::of(*mime, mimeTypes, unlessOffered);
    snapshot.id = id;
    QMetaObject::invokeMethod(
        this, [this, snapshot] { Q_EMIT contentsRead(snapshot); }, Qt::QueuedConnection);
}

void QtSystemClipboard::startReadingSelectedText(quint64 id)
{
    if (m_reader) {
        QMetaObject::invokeMethod(
            m_reader, [reader = m_reader, id] { reader->readSelectedText(id); }, Qt::QueuedConnection);
        return;
    }
    ClipboardSnapshot snapshot;
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (const QMimeData *mime = clipboard->supportsSelection() ? clipboard->mimeData(QClipboard::Selection) : nullptr)
        snapshot = ClipboardSnapshot::of(*mime, { ClipboardTypes::plainText() });
    snapshot.id = id;
    QMetaObject::invokeMethod(
        this, [this, snapshot] { Q_EMIT contentsRead(snapshot); }, Qt::QueuedConnection);
}

std::optional<qint64> QtSystemClipboard::write(const ClipboardWrite &contents)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    m_writing = true;
    clipboard->setMimeData(contents.toMimeData(), QClipboard::Clipboard);
    m_writing = false;
    // X11 refuses by leaving the selection with its old owner: nothing changed then.
    if (QGuiApplication::platformName() == QLatin1String("xcb") && !clipboard->ownsClipboard())
        return std::nullopt;
    const qint64 count = ++m_changeCount;
    Q_EMIT changed();
    return count;
}
