// Holds a global key grab the way another desktop program would, so the suite can check how
// Vemra behaves when its preferred shortcut is taken. Usage: grabkey MODS KEYSYM-NAME
// where MODS is a '+'-joined list of shift, control, alt, super. Runs until killed.
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <X11/keysym.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: grabkey MODS KEY\n");
        return 2;
    }
    uint16_t mods = 0;
    std::string list = argv[1];
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find('+', start);
        std::string m = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (m == "shift")
            mods |= XCB_MOD_MASK_SHIFT;
        else if (m == "control")
            mods |= XCB_MOD_MASK_CONTROL;
        else if (m == "alt")
            mods |= XCB_MOD_MASK_1;
        else if (m == "super")
            mods |= XCB_MOD_MASK_4;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    xcb_keysym_t sym = 0;
    if (std::strlen(argv[2]) == 1)
        sym = static_cast<unsigned char>(argv[2][0]);
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "grabkey: no display\n");
        return 1;
    }
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_key_symbols_t *syms = xcb_key_symbols_alloc(c);
    xcb_keycode_t *codes = xcb_key_symbols_get_keycode(syms, sym);
    if (!codes || codes[0] == XCB_NO_SYMBOL) {
        std::fprintf(stderr, "grabkey: no key code\n");
        return 1;
    }
    const uint16_t locks[] = { 0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2, XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2 };
    for (uint16_t lock : locks) {
        xcb_void_cookie_t ck
            = xcb_grab_key_checked(c, 1, root, mods | lock, codes[0], XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t *err = xcb_request_check(c, ck)) {
            std::fprintf(stderr, "grabkey: grab failed (%d)\n", err->error_code);
            return 1;
        }
    }
    std::printf("grabbed\n");
    std::fflush(stdout);
    while (xcb_generic_event_t *ev = xcb_wait_for_event(c))
        std::free(ev);
    return 0;
}
