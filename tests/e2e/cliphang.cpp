// Takes the CLIPBOARD selection the way a hung or misbehaving program does: it becomes the owner
// and never answers a request for the content (it reads none of its events). Prints "taken"
// once it owns the selection.
// Usage: e2e_cliphang [MS]: with MS, takes the selection again every MS milliseconds, as a
//        program that keeps re-copying does. Runs until ended.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

int main(int argc, char **argv)
{
    const int interval = argc > 1 ? std::atoi(argv[1]) : 0;
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "no display\n");
        return 1;
    }
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_window_t window = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
        XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    static constexpr char name[] = "CLIPBOARD";
    xcb_intern_atom_reply_t *clipboard
        = xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
    if (!clipboard) {
        std::fprintf(stderr, "no CLIPBOARD atom\n");
        return 1;
    }
    for (bool first = true;; first = false) {
        xcb_set_selection_owner(connection, window, clipboard->atom, XCB_CURRENT_TIME);
        // A round trip, so that the selection is ours when "taken" is printed.
        std::free(
            xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, clipboard->atom), nullptr));
        if (first) {
            std::printf("taken\n");
            std::fflush(stdout);
        }
        if (interval <= 0)
            pause();
        else
            usleep(static_cast<useconds_t>(interval) * 1000);
    }
}
