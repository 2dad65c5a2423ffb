#pragma once

// The connection the toolkit keeps to the window system.
namespace WindowSystem {

// Sends the requests the toolkit has queued now. On X11 a change of a window's opacity alone
// waits in the queue for the next request that flushes it, so a fade made of opacity steps
// would reach the screen as its last step only. Does nothing elsewhere.
void flush();

} // namespace WindowSystem
