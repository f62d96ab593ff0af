#pragma once
// The connection the platform layer shares between its parts.
#include <X11/Xlib.h>

#include <array>

// The dialogs' own connection, opened once and kept for the whole run, so
// that no message is lost to a refused connection later on; null when the
// display cannot be reached.
Display* dialogDisplay();

// Whether the window's list of atoms under the property (_NET_SUPPORTED,
// _NET_WM_STATE, ...) holds the atom.
bool listsAtom(Display* display, Window window, const char* property, const char* atom);

// Sends the window manager an EWMH request about the window, through the
// root window, with up to five 32-bit values.
void askWindowManager(Display* display, Window window, const char* message, std::array<long, 5> data = {});
