#pragma once
// The connection the platform layer shares between its parts.
#include <X11/Xlib.h>

// The dialogs' own connection, opened once and kept for the whole run, so
// that no message is lost to a refused connection later on; null when the
// display cannot be reached.
Display* dialogDisplay();
