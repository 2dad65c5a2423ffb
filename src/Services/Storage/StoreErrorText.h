#pragma once

#include <QString>

// What the user reads of a store's error: SQLite's own wording, in the user's words where we
// know them; the rest as it came (it is still better than nothing to search for).
namespace StoreErrorText {

QString inUsersWords(const QString &systemText);
// What a full disk is called, whatever found it full.
QString diskFull();

} // namespace StoreErrorText
