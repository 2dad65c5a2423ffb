#include "Services/Storage/StoreErrorText.h"

#include <utility>

namespace StoreErrorText {

QString inUsersWords(const QString &systemText)
{
    static const std::pair<QString, QString> known[] = {
        { QStringLiteral("database or disk is full"), diskFull() },
        { QStringLiteral("disk I/O error"), QStringLiteral("The disk could not be read or written.") },
        { QStringLiteral("attempt to write a readonly database"), QStringLiteral("The file can’t be written.") },
        { QStringLiteral("database disk image is malformed"), QStringLiteral("The file is damaged.") },
        { QStringLiteral("file is not a database"), QStringLiteral("The file is not a database.") },
    };
    for (const auto &[sqlite, words] : known) {
        if (systemText.contains(sqlite, Qt::CaseInsensitive))
            return words;
    }
    return systemText;
}

QString diskFull()
{
    return QStringLiteral("The disk is full.");
}

} // namespace StoreErrorText
