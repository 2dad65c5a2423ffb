#pragma once

#include "Platform/SystemClipboard.h"

#include <QList>
#include <QString>

#include <optional>

// Why the clipboard history is not being recorded, or not freely, and what the notice above
// the list says about it. Only "off" and "paused" can happen on X11, which always lets an
// application read the clipboard; the permission forms stay for the states a test can set.
namespace ClipboardNoticeContent {

enum class Reason { Off, Paused, NotAsked, Asks, Denied };
enum class Action { TurnOn, Resume, Allow, Reopen };

struct Content
{
    // The one-line form (off, paused) or the explanation with a detail text.
    bool isLine = true;
    QString symbol;
    bool accentSymbol = false;
    QString title;
    QString detail;
    QList<Action> actions;
};

// First match: recording off, then paused, then the permission; none when recording freely.
std::optional<Reason> reason(bool monitorsClipboard, bool isPaused, ClipboardAccess access);
Content content(Reason reason);
QString actionTitle(Action action);

} // namespace ClipboardNoticeContent
