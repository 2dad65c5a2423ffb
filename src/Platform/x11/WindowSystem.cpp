#include "Platform/WindowSystem.h"

#include "Platform/x11/Xcb.h"

namespace WindowSystem {

void flush()
{
    if (xcb_connection_t *connection = qtConnection())
        xcb_flush(connection);
}

} // namespace WindowSystem
