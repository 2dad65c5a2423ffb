#include "Platform/linux/QtSystemClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {

const QMimeData *current()
{
    return QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
}

} // namespace

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
}

QStringList QtSystemClipboard::types() const
{
    const QMimeData *mime = current();
    return mime ? mime->formats() : QStringList();
}

std::optional<QString> QtSystemClipboard::string() const
{
    const QMimeData *mime = current();
    return mime ? textIn(*mime) : std::nullopt;
}

QList<QUrl> QtSystemClipboard::fileUrls() const
{
    const QMimeData *mime = current();
    return mime ? fileUrlsIn(*mime) : QList<QUrl>();
}

std::optional<QByteArray> QtSystemClipboard::data(const QString &mimeType) const
{
    const QMimeData *mime = current();
    return mime ? dataIn(*mime, mimeType) : std::nullopt;
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
    ++m_changeCount;
    Q_EMIT changed();
    return m_changeCount;
}
