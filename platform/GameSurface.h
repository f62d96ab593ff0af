#pragma once
// The game's drawing surface on the screen: how it is made to stand there,
// how the boxes borrow the keyboard from it, and the desktop's video mode
// kept safe while the game has switched it.

struct Monitor;

enum SurfaceKind {
    // An ordinary window.
    SURFACE_WINDOW,
    // The toolkit's game mode: the video mode switched, the surface out of any
    // window manager's hands, holding the keyboard and the pointer.
    SURFACE_GAME_MODE,
    // A managed window in the desktop's full-screen state on one monitor,
    // focused by the desktop like any other.
    SURFACE_DESKTOP_FULL_SCREEN,
    // Where no window manager runs: a window no manager handles, the size of
    // one monitor, holding the keyboard and the pointer.
    SURFACE_COVERING_WINDOW,
};

// Before the toolkit makes the surface: what it will be, on which monitor.
// Boxes shown before the surface exists stand on that monitor. The surface
// gets its class, process and icon, and its full-screen state, before the
// toolkit first maps it, so that window managers read them when they manage it.
void planSurface(SurfaceKind kind, const Monitor& monitor);
// Right after the toolkit has made the surface, with its OpenGL context
// current: a full-screen surface takes the place planned for it.
void surfaceMade();

// Before the toolkit switches the video mode to the game's size: a small
// process of its own keeps the mode the desktop has now, and puts it back if
// the game ends leaving the game's mode shown (killed, crashed, or cut off
// from the X server).
void guardVideoMode(int gameWidth, int gameHeight);
// Whether the X server now shows a video mode of that size.
bool videoModeIs(int width, int height);
