#include "Services/Clipboard/ClipboardRowText.h"

#include "Models/Clipboard/CopyTime.h"

#include <QFileInfo>
#include <QMimeDatabase>

namespace {

QMimeType typeOf(const QString &path)
{
    static const QMimeDatabase database;
    const QString suffix = QFileInfo(path).fileName().section(QLatin1Char('.'), -1);
    const bool hasSuffix = QFileInfo(path).fileName().contains(QLatin1Char('.'));
    if (!hasSuffix || suffix.isEmpty())
        return database.mimeTypeForName(QStringLiteral("application/octet-stream"));
    const QMimeType type = database.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    return type.isValid() ? type : database.mimeTypeForName(QStringLiteral("application/octet-stream"));
}

} // namespace

namespace ClipboardRowText {

QString capped(const QString &text, qsizetype limit)
{
    if (text.size() <= limit)
        return text;
    qsizetype end = qMax<qsizetype>(0, limit);
    if (end > 0 && text.at(end - 1).isHighSurrogate())
        --end;
    return text.left(end) + QStringLiteral("\u2026");
}

QString details(const ClipboardItem &item, const QDateTime &now, bool longForm, const ClipboardCalendar &calendar)
{
    QStringList parts { CopyTime::describe(item.lastCopiedAt, now, longForm, calendar) };
    if (!item.sourceAppName.isEmpty())
        parts << capped(item.sourceAppName);
    if (item.copyCount >= 2)
        parts << QStringLiteral("Copied ") + QString::number(item.copyCount) + QStringLiteral(" times");
    return parts.join(QStringLiteral(" \u00B7 "));
}

QString accessibleLabel(const ClipboardItem &item)
{
    const QString text = item.kind() == ClipboardKind::Image ? item.dimensions().value_or(QString()) : item.title();
    return ClipboardKinds::name(item.kind()) + QStringLiteral(": ") + text;
}

QList<Action> actions(const ClipboardItem &item)
{
    QList<Action> list { Action::Copy, Action::Preview };
    if (item.url())
        list << Action::OpenLink;
    list << Action::Delete;
    return list;
}

QString actionTitle(Action action)
{
    switch (action) {
    case Action::Copy:
        return QStringLiteral("Copy");
    case Action::Preview:
        return QStringLiteral("Preview");
    case Action::OpenLink:
        return QStringLiteral("Open Link");
    case Action::Delete:
        return QStringLiteral("Delete");
    }
    return {};
}

QString fileIconName(const QString &path)
{
    return typeOf(path).iconName();
}

QString fileGenericIconName(const QString &path)
{
    return typeOf(path).genericIconName();
}

} // namespace ClipboardRowText
