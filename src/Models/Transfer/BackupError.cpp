#include "Models/Transfer/BackupError.h"

QString BackupError::description() const
{
    switch (m_kind) {
    case Kind::Unreadable:
        return m_detail;
    case Kind::TooLarge:
        return QStringLiteral("This file is larger than 4 GB, more than Vemra can import.");
    case Kind::NewerVersion:
        return QStringLiteral("This file was exported by a newer version of Vemra (format ") + m_detail
            + QStringLiteral("). Update Vemra to import it.");
    case Kind::Damaged:
        return QStringLiteral("This Vemra export is damaged: ") + m_detail;
    case Kind::NotAnExport:
        return QStringLiteral("This file isn’t a Vemra export.");
    }
    return {};
}
