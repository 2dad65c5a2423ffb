#pragma once

#include <QString>

// What the user reads of a store's error: SQLite's own wording, in the user's words where we
// know them; the rest as it came (it is still better than nothing to search for).
namespace StoreErrorText {

QString inUsersWords(const QString &systemText);

} // namespace StoreErrorText
