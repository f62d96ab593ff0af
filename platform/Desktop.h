#pragma once
// What the window system tells of the desktop before the game's surface is
// made: its monitors, who owns their modes and the keyboard, and where an
// ordinary window may go. All in screen pixels.
#include <vector>

struct Monitor {
    int x = 0, y = 0, width = 0, height = 0;
    bool primary = false;
    bool operator==(const Monitor&) const = default;
};

struct Desktop {
    int screenWidth = 0, screenHeight = 0;
    // The active monitors in the X server's order, which is how window
    // managers number them; none where the server tells none (no RandR 1.5).
    std::vector<Monitor> monitors;
    // XWayland: a Wayland compositor owns the outputs' modes and the keyboard
    // focus, and honours no X grab.
    bool xwayland = false;
    // A window manager runs that offers its full-screen state (_NET_SUPPORTED
    // lists _NET_WM_STATE_FULLSCREEN).
    bool windowManager = false;
};
Desktop readDesktop();

// The work area (the screen less its panels) where the window manager
// publishes one, and the frame it puts around an ordinary window where it
// tells that.
struct DesktopArea {
    bool workAreaKnown = false;
    int workX = 0, workY = 0, workWidth = 0, workHeight = 0;
    bool frameKnown = false;
    int frameLeft = 0, frameRight = 0, frameTop = 0, frameBottom = 0;
};
DesktopArea desktopArea();
