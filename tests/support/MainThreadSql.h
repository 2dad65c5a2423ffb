#pragma once

#include <QByteArrayView>

// The SQL statements that ran on the main thread, on every SQLite connection opened once
// watching began: what a test reads to tell that a statement never made the interface wait.
namespace MainThreadSql {

// Begins watching, once per process; connections opened before are not watched.
void watch();
// Forgets the statements seen so far.
void reset();
// How many statements that hold `text` ran on the main thread since watching began or the last
// reset.
int count(QByteArrayView text);

} // namespace MainThreadSql
