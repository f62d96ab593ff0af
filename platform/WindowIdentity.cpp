#include "platform/WindowIdentity.h"

#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <climits>
#include <cstring>

#include "platform/Platform.h"

void setWindowClass(Display* display, Window window)
{
    XClassHint hint{const_cast<char*>("tarvik-snake"), const_cast<char*>("Tarvik-Snake")};
    XSetClassHint(display, window, &hint);
}

void identifyGameWindow()
{
    // freeglut draws straight into its window: the current drawable is the window itself.
    Display* display = glXGetCurrentDisplay();
    Window window = glXGetCurrentDrawable();
    if (!display || !window)
        return;
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
    XFlush(display);
}
