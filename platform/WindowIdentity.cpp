// What every window of the game tells the desktop about itself.
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <climits>
#include <cstddef>
#include <cstring>

#include "platform/X11Display.h"

// The game's icon as _NET_WM_ICON holds it: for each size, the width, the
// height, then the pixels as 0xAARRGGBB, rows from the top. Generated at build
// time from the packaged icon's pixels.
extern const unsigned long WINDOW_ICON[];
extern const std::size_t WINDOW_ICON_LENGTH;

// The one instance and class name in WM_CLASS of the game's window and of its
// boxes; the menu entry names the class as StartupWMClass, which is how a
// desktop matches the running game with its entry.
void setWindowClass(Display* display, Window window)
{
    XClassHint hint{const_cast<char*>("tarvik-snake"), const_cast<char*>("Tarvik-Snake")};
    XSetClassHint(display, window, &hint);
}

void identifyWindow(Display* display, Window window)
{
    setWindowClass(display, window);
    // A pid means something only on its own machine, so the two go together.
    char host[HOST_NAME_MAX + 1] = {};
    if (gethostname(host, sizeof host - 1) == 0) {
        long pid = getpid();  // Xlib takes 32-bit items as longs
        XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
        XChangeProperty(display, window, XA_WM_CLIENT_MACHINE, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(host), static_cast<int>(std::strlen(host)));
    }
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_ICON", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(WINDOW_ICON), static_cast<int>(WINDOW_ICON_LENGTH));
}
