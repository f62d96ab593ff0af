#pragma once
// What every window of the game tells the desktop about itself, on Xlib.

#include <X11/Xlib.h>

#include <cstddef>

// The one instance and class name in WM_CLASS of the game's window and of its
// boxes; the menu entry names the class as StartupWMClass, which is how a
// desktop matches the running game with its entry.
void setWindowClass(Display* display, Window window);

// The game's icon as _NET_WM_ICON holds it: for each size, the width, the
// height, then the pixels as 0xAARRGGBB, rows from the top. Generated at build
// time from the packaged icon's pixels.
extern const unsigned long WINDOW_ICON[];
extern const std::size_t WINDOW_ICON_LENGTH;
