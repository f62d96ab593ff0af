#pragma once
// What the platform layer's parts share on Xlib.
#include <X11/Xlib.h>

#include <array>
#include <vector>

#include "platform/Desktop.h"

// The boxes' own connection, opened once and kept for the whole run, so that
// no message is lost to a refused connection later on; null when the display
// cannot be reached.
Display* dialogDisplay();

// Whether the window's list of atoms under the property (_NET_SUPPORTED,
// _NET_WM_STATE, ...) holds the atom.
bool listsAtom(Display* display, Window window, const char* property, const char* atom);

// Sends the window manager an EWMH request about the window, through the
// root window, with up to five 32-bit values.
void askWindowManager(Display* display, Window window, const char* message, std::array<long, 5> data = {});

// The active monitors, in the server's order.
std::vector<Monitor> listMonitors(Display* display);
// Whether the server is XWayland (see Desktop.h).
bool isXWayland();

// What the game's surface asks of a box (GameSurfaceX11.cpp). The area it is
// centred on: the surface's monitor, or the game-mode surface itself.
Monitor boxArea(Display* display);
// Just before the box is mapped and just after it is gone: a surface that
// holds the input lends it, a full-screen one stands aside for it.
void beforeBox(Display* display, Window box);
void afterBox();
// Whether the desktop, rather than the box itself, gives the box the keyboard.
bool desktopFocusesBox();

// The class, process and icon of the game's window (WindowIdentity.cpp).
void identifyWindow(Display* display, Window window);
// The class alone: the boxes have it too.
void setWindowClass(Display* display, Window window);
