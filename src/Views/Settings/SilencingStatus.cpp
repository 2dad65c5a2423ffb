#include "Views/Settings/SilencingStatus.h"

namespace {

QString problemSymbol()
{
    return QStringLiteral("exclamationmark.circle.fill");
}

} // namespace

SilencingStatus SilencingStatus::of(const std::optional<FocusSilencerReadiness> &readiness)
{
    using Kind = FocusSilencerReadiness::Kind;
    if (!readiness) {
        return { QStringLiteral("Checking…"), QStringLiteral("Looking for Vemra’s shortcuts"),
            QStringLiteral("ellipsis.circle"), Look::Checking };
    }
    switch (readiness->kind()) {
    case Kind::Ready:
        return { QStringLiteral("Ready"), QStringLiteral("Do Not Disturb turns on when a Focus Session starts"),
            QStringLiteral("checkmark.circle.fill"), Look::Ready };
    case Kind::NeedsPermission:
        return { QStringLiteral("Needs permission"),
            QStringLiteral("Click Check Setup, then allow Vemra to run Shortcuts"), problemSymbol(), Look::Problem };
    case Kind::Denied:
        return { QStringLiteral("Not allowed"), QStringLiteral("Allow Vemra under Privacy & Security → Automation"),
            problemSymbol(), Look::Problem };
    case Kind::Unavailable:
        return { QStringLiteral("The Shortcuts folder can’t be read"), QStringLiteral("Check again in a moment"),
            problemSymbol(), Look::Problem };
    case Kind::MissingShortcuts: {
        // What is missing, then why each script that is there cannot be used.
        QStringList parts;
        if (!readiness->missing().isEmpty())
            parts << QStringLiteral("Missing: ") + readiness->missing().join(QStringLiteral(", "));
        parts << readiness->problems();
        return { QStringLiteral("Needs setup"), parts.join(QStringLiteral(" · ")), problemSymbol(), Look::Problem };
    }
    }
    return {};
}
