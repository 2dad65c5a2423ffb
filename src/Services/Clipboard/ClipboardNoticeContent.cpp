#include "Services/Clipboard/ClipboardNoticeContent.h"

namespace ClipboardNoticeContent {

std::optional<Reason> reason(bool monitorsClipboard, bool isPaused, ClipboardAccess access)
{
    if (!monitorsClipboard)
        return Reason::Off;
    if (isPaused)
        return Reason::Paused;
    switch (access) {
    case ClipboardAccess::Allowed:
        return std::nullopt;
    case ClipboardAccess::NotAsked:
        return Reason::NotAsked;
    case ClipboardAccess::Asks:
        return Reason::Asks;
    case ClipboardAccess::Denied:
        return Reason::Denied;
    }
    return std::nullopt;
}

Content content(Reason reason)
{
    // The permission texts name the other desktop's settings: they are only ever shown for a
    // state that cannot occur here. Its settings page has no counterpart, so only reopening
    // is offered.
    switch (reason) {
    case Reason::Off:
        return { true, QStringLiteral("clipboard"), false, QStringLiteral("Clipboard history is off"), {},
            { Action::TurnOn } };
    case Reason::Paused:
        return { true, QStringLiteral("pause.circle.fill"), false, QStringLiteral("Clipboard history paused"), {},
            { Action::Resume } };
    case Reason::NotAsked:
        return { false, QStringLiteral("hand.raised.fill"), true, QStringLiteral("Allow Vemra to see what you copy"),
            QStringLiteral("macOS asks before an app can read the clipboard. Your history never leaves this Mac."),
            { Action::Allow } };
    case Reason::Asks:
        return { false, QStringLiteral("hand.raised.fill"), true, QStringLiteral("One more step"),
            QStringLiteral("macOS will ask every time Vemra reads the clipboard. In Privacy & Security \u2192 Paste "
                           "from Other Apps, set Vemra to Allow, then reopen Vemra."),
            { Action::Reopen } };
    case Reason::Denied:
        return { false, QStringLiteral("hand.raised.slash.fill"), true,
            QStringLiteral("Vemra can\u2019t see what you copy"),
            QStringLiteral("It\u2019s set to Deny in Privacy & Security \u2192 Paste from Other Apps. Set it to "
                           "Allow, then reopen Vemra."),
            { Action::Reopen } };
    }
    return {};
}

QString actionTitle(Action action)
{
    switch (action) {
    case Action::TurnOn:
        return QStringLiteral("Turn On");
    case Action::Resume:
        return QStringLiteral("Resume");
    case Action::Allow:
        return QStringLiteral("Allow\u2026");
    case Action::Reopen:
        return QStringLiteral("Reopen Vemra");
    }
    return {};
}

} // namespace ClipboardNoticeContent
