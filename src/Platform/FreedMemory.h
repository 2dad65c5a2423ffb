#pragma once

// Memory a thread freed after a large piece of work (a cache of a hundred megabytes) stays with
// the process: the C library keeps it for later allocations of that thread's own.
namespace FreedMemory {

// Gives the pages of freed memory back to the system; takes a few milliseconds, for a worker.
void giveBack();

} // namespace FreedMemory
