// The desktop as the X server and the window manager tell it: the monitors
// (RandR), XWayland, and where a window may go, through the desktop hints the
// window manager publishes on the root window.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "platform/X11Display.h"

namespace {

// A window manager that announces frame extents answers within milliseconds;
// one that does not answer costs the start-up no more than this.
constexpr int FRAME_ANSWER_MS = 500;
constexpr long MAX_FRAME = 200;  // more is taken for a window manager's mistake

// The first count 32-bit values of a CARDINAL property, or false when the
// window does not hold that many.
bool readCardinals(Display* display, Window window, const char* name, long* values, unsigned long count,
                   unsigned long first = 0)
{
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    bool read = XGetWindowProperty(display, window, XInternAtom(display, name, False), static_cast<long>(first),
                                   static_cast<long>(count), False, XA_CARDINAL, &type, &format, &items, &after,
                                   &data) == Success &&
                type == XA_CARDINAL && format == 32 && items == count;
    if (read)
        std::copy_n(reinterpret_cast<long*>(data), count, values);
    if (data)
        XFree(data);
    return read;
}

// The frame the window manager would give an ordinary window: it sets the
// extents on an unmapped probe that asks for them.
bool probeFrame(Display* display, Window root, long extents[4])
{
    Window probe = XCreateSimpleWindow(display, root, 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(display, probe, PropertyChangeMask);
    Atom frameExtents = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
    askWindowManager(display, probe, "_NET_REQUEST_FRAME_EXTENTS");

    bool answered = false;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(FRAME_ANSWER_MS);
    while (!answered && std::chrono::steady_clock::now() < deadline) {
        XEvent event;
        if (XCheckWindowEvent(display, probe, PropertyChangeMask, &event)) {
            answered = event.xproperty.atom == frameExtents;
            continue;
        }
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, 20);
    }
    answered = answered && readCardinals(display, probe, "_NET_FRAME_EXTENTS", extents, 4);
    XDestroyWindow(display, probe);
    XSync(display, False);
    XEvent leftOver;
    while (XCheckWindowEvent(display, probe, PropertyChangeMask, &leftOver)) {
    }
    return answered;
}

bool probeXWayland(Display* display)
{
    // XWayland offers an extension of its name from version 23.1 on; the
    // earlier ones are known by the names of their outputs, read as the
    // server has them: probing them anew would cost time and reset the
    // video-mode extension's record.
    int opcode = 0, event = 0, error = 0;
    if (XQueryExtension(display, "XWAYLAND", &opcode, &event, &error))
        return true;
    if (!XRRQueryExtension(display, &event, &error))
        return false;
    bool xwayland = false;
    if (XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display))) {
        for (int i = 0; i < resources->noutput && !xwayland; ++i) {
            if (XRROutputInfo* output = XRRGetOutputInfo(display, resources, resources->outputs[i])) {
                xwayland = std::strncmp(output->name, "XWAYLAND", 8) == 0;
                XRRFreeOutputInfo(output);
            }
        }
        XRRFreeScreenResources(resources);
    }
    return xwayland;
}

}  // namespace

bool listsAtom(Display* display, Window window, const char* property, const char* atom)
{
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    bool found = false;
    if (XGetWindowProperty(display, window, XInternAtom(display, property, False), 0, 4096, False, XA_ATOM, &type,
                           &format, &items, &after, &data) == Success && type == XA_ATOM && format == 32) {
        // Xlib hands 32-bit items over as longs.
        Atom wanted = XInternAtom(display, atom, False);
        found = std::count(reinterpret_cast<Atom*>(data), reinterpret_cast<Atom*>(data) + items, wanted) > 0;
    }
    if (data)
        XFree(data);
    return found;
}

void askWindowManager(Display* display, Window window, const char* message, std::array<long, 5> data)
{
    XEvent request{};
    request.xclient.type = ClientMessage;
    request.xclient.window = window;
    request.xclient.message_type = XInternAtom(display, message, False);
    request.xclient.format = 32;
    std::copy(data.begin(), data.end(), request.xclient.data.l);
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask, &request);
    XFlush(display);
}

DesktopArea desktopArea()
{
    DesktopArea area;
    Display* display = dialogDisplay();
    if (!display)
        return area;
    Window root = DefaultRootWindow(display);

    // One work area per virtual desktop: the current one's.
    long desktop = 0, work[4];
    readCardinals(display, root, "_NET_CURRENT_DESKTOP", &desktop, 1);
    if (readCardinals(display, root, "_NET_WORKAREA", work, 4, static_cast<unsigned long>(desktop) * 4) ||
        readCardinals(display, root, "_NET_WORKAREA", work, 4)) {
        // X coordinates are 16-bit: anything beyond is nonsense, kept from overflowing.
        auto coordinate = [&](int i) { return static_cast<int>(std::clamp(work[i], -65536L, 65536L)); };
        area.workAreaKnown = true;
        area.workX = coordinate(0);
        area.workY = coordinate(1);
        area.workWidth = coordinate(2);
        area.workHeight = coordinate(3);
    }
    long frame[4];
    if (listsAtom(display, root, "_NET_SUPPORTED", "_NET_REQUEST_FRAME_EXTENTS") && probeFrame(display, root, frame)) {
        auto side = [&](int i) { return static_cast<int>(std::clamp(frame[i], 0L, MAX_FRAME)); };
        area.frameKnown = true;
        area.frameLeft = side(0);
        area.frameRight = side(1);
        area.frameTop = side(2);
        area.frameBottom = side(3);
    }
    return area;
}

bool isXWayland()
{
    // The server stays what it is for the whole run: asked once.
    static const bool xwayland = dialogDisplay() && probeXWayland(dialogDisplay());
    return xwayland;
}

std::vector<Monitor> listMonitors(Display* display)
{
    std::vector<Monitor> found;
    int event = 0, error = 0, count = 0;
    if (!XRRQueryExtension(display, &event, &error))
        return found;
    XRRMonitorInfo* monitors = XRRGetMonitors(display, DefaultRootWindow(display), True, &count);
    for (int i = 0; i < count; ++i) {
        const XRRMonitorInfo& m = monitors[i];
        found.push_back({m.x, m.y, m.width, m.height, m.primary != 0});
    }
    if (monitors)
        XRRFreeMonitors(monitors);
    return found;
}

Desktop readDesktop()
{
    Desktop desktop;
    Display* display = dialogDisplay();
    if (!display)
        return desktop;
    int screen = DefaultScreen(display);
    desktop.screenWidth = DisplayWidth(display, screen);
    desktop.screenHeight = DisplayHeight(display, screen);
    desktop.monitors = listMonitors(display);
    desktop.xwayland = isXWayland();
    desktop.windowManager =
        listsAtom(display, RootWindow(display, screen), "_NET_SUPPORTED", "_NET_WM_STATE_FULLSCREEN");
    return desktop;
}
