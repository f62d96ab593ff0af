// The game's surface on the screen: what it is given before the toolkit maps
// it, the place it takes afterwards, and how the boxes borrow the input from it.
#include "platform/GameSurface.h"

#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>
#include <poll.h>

#include <chrono>

#include "platform/Platform.h"
#include "platform/X11Display.h"

namespace {

constexpr int STATE_CHANGE_LIMIT_MS = 2000;  // the longest wait for the window manager to change the surface's state
constexpr int STOP_CHECK_MS = 100;           // how long a wait lasts before it looks for a stop signal

struct Surface {
    SurfaceKind kind = SURFACE_WINDOW;
    Monitor monitor;             // the one it covers, or opens on
    Display* display = nullptr;  // the toolkit's connection and window, once it is made
    Window window = 0;
    // Some Wayland compositors (sway) give the keyboard to no new window
    // over a full-screen one, not even its own dialog: there the surface
    // leaves that state while a box is up. X11 window managers stack a
    // dialog above the full-screen window it belongs to and focus it.
    bool leavesFullScreenForBoxes = false;
};
Surface surface;

bool holdsInput()
{
    return surface.window && (surface.kind == SURFACE_GAME_MODE || surface.kind == SURFACE_COVERING_WINDOW);
}

bool inFullScreenState()
{
    return surface.window && surface.kind == SURFACE_DESKTOP_FULL_SCREEN;
}

// What window managers read when they first manage a window: its class,
// process and icon, and for the desktop's full screen its state; a covering
// window is kept out of their hands altogether.
void prepare(Display* display, Window window)
{
    identifyWindow(display, window);
    if (surface.kind == SURFACE_DESKTOP_FULL_SCREEN) {
        Atom full = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
        XChangeProperty(display, window, XInternAtom(display, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&full), 1);
    } else if (surface.kind == SURFACE_COVERING_WINDOW) {
        XSetWindowAttributes unmanaged;
        unmanaged.override_redirect = True;
        XChangeWindowAttributes(display, window, CWOverrideRedirect, &unmanaged);
    }
}

// The toolkit held the keyboard and the pointer on its own connection; no box
// could be answered while it kept them.
void lendInput()
{
    XUngrabPointer(surface.display, CurrentTime);
    XUngrabKeyboard(surface.display, CurrentTime);
    XSync(surface.display, False);  // released before the box asks for the keyboard focus
}

// As the toolkit's game mode holds them: the pointer kept inside the surface,
// the keys going to it.
void takeInput()
{
    XGrabPointer(surface.display, surface.window, True,
                 ButtonPressMask | ButtonReleaseMask | ButtonMotionMask | PointerMotionMask, GrabModeAsync,
                 GrabModeAsync, surface.window, None, CurrentTime);
    XSetInputFocus(surface.display, surface.window, RevertToParent, CurrentTime);
    XGrabKeyboard(surface.display, surface.window, False, GrabModeAsync, GrabModeAsync, CurrentTime);
    XFlush(surface.display);
}

// Puts the surface into the desktop's full-screen state or out of it, and
// waits until the window manager reports the change. A box mapped before then
// could open over a full-screen view, which some compositors (sway) never
// focus; the game resumed before then would draw for a size about to change.
// The wait is on the boxes' connection: on the toolkit's, it would change
// which of its window's events the toolkit receives.
void setFullScreenState(bool on)
{
    Display* display = dialogDisplay();
    XSelectInput(display, surface.window, PropertyChangeMask);  // before asking, so that no answer is missed
    // _NET_WM_STATE_ADD or _REMOVE, asked by an ordinary application.
    Atom full = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
    askWindowManager(display, surface.window, "_NET_WM_STATE", {on ? 1 : 0, static_cast<long>(full), 0, 1});

    // Each event may be the new _NET_WM_STATE; a window manager that ignores
    // the request holds the game up only for a moment.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(STATE_CHANGE_LIMIT_MS);
    while (listsAtom(display, surface.window, "_NET_WM_STATE", "_NET_WM_STATE_FULLSCREEN") != on &&
           std::chrono::steady_clock::now() < deadline && !pendingStopSignal()) {
        XEvent event;
        if (XPending(display)) {
            XNextEvent(display, &event);
        } else {
            pollfd connection{ConnectionNumber(display), POLLIN, 0};
            poll(&connection, 1, STOP_CHECK_MS);
        }
    }
    XSelectInput(display, surface.window, NoEventMask);
}

// A window manager that follows the desktop hints decides the full-screen
// window's monitor by where the window is; one that can be told which
// monitor, by their number, is told.
void pinToMonitor()
{
    Display* display = dialogDisplay();
    if (!listsAtom(display, DefaultRootWindow(display), "_NET_SUPPORTED", "_NET_WM_FULLSCREEN_MONITORS"))
        return;
    std::vector<Monitor> monitors = listMonitors(display);
    for (long i = 0; i < static_cast<long>(monitors.size()); ++i) {
        if (monitors[static_cast<std::size_t>(i)] == surface.monitor)
            askWindowManager(display, surface.window, "_NET_WM_FULLSCREEN_MONITORS", {i, i, i, i, 1});
    }
}

}  // namespace

// The toolkit maps its window inside the call that makes it, before the game
// could give it anything. Its call is caught here on its way to Xlib: the
// toolkit has made the window's OpenGL context current just before.
extern "C" int XMapWindow(Display* display, Window window)
{
    using MapWindow = int (*)(Display*, Window);
    static auto xlibMapWindow = reinterpret_cast<MapWindow>(dlsym(RTLD_NEXT, "XMapWindow"));
    if (!surface.window && window == glXGetCurrentDrawable() && display == glXGetCurrentDisplay()) {
        surface.display = display;
        surface.window = window;
        prepare(display, window);
    }
    return xlibMapWindow(display, window);
}

void planSurface(SurfaceKind kind, const Monitor& monitor)
{
    surface = {kind, monitor};
}

void surfaceMade()
{
    if (!surface.window)
        return;
    if (surface.kind == SURFACE_DESKTOP_FULL_SCREEN) {
        XSync(surface.display, False);  // the surface exists for the boxes' connection too
        setFullScreenState(true);
        pinToMonitor();
        surface.leavesFullScreenForBoxes = isXWayland();
    } else if (surface.kind == SURFACE_COVERING_WINDOW) {
        takeInput();
    }
}

Monitor boxArea(Display* display)
{
    XWindowAttributes attributes;
    if (!surface.window || !XGetWindowAttributes(surface.display, surface.window, &attributes))
        return surface.monitor;
    // The game mode's surface may be a smaller video mode's corner of a
    // larger screen.
    if (holdsInput())
        return {attributes.x, attributes.y, attributes.width, attributes.height};
    // A frame may hold the window: its place on the screen, not in the frame.
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(surface.display, surface.window, attributes.root, 0, 0, &x, &y, &child);
    x += attributes.width / 2;
    y += attributes.height / 2;
    for (const Monitor& m : listMonitors(display)) {
        if (x >= m.x && x < m.x + m.width && y >= m.y && y < m.y + m.height)
            return m;
    }
    return surface.monitor;
}

void beforeBox(Display* display, Window box)
{
    if (inFullScreenState()) {
        XSetTransientForHint(display, box, surface.window);
        if (surface.leavesFullScreenForBoxes)
            setFullScreenState(false);
    } else if (holdsInput()) {
        // Like the surface, out of any window manager's hands, so that none
        // can stack the box below it.
        XSetWindowAttributes unmanaged;
        unmanaged.override_redirect = True;
        XChangeWindowAttributes(display, box, CWOverrideRedirect, &unmanaged);
        lendInput();
    }
}

void afterBox()
{
    if (inFullScreenState() && surface.leavesFullScreenForBoxes)
        setFullScreenState(true);
    else if (holdsInput())
        takeInput();
}

bool desktopFocusesBox()
{
    return inFullScreenState();
}
