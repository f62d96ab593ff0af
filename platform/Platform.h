#pragma once
// What the game needs from the operating system and the window system, beyond
// what freeglut gives it. The dialogs are drawn with Xlib on their own
// connection to the display; the file mapping uses POSIX.

#include <cstddef>

// Opens the dialogs' connection to the display named by DISPLAY, kept for the
// whole run; false when the display cannot be reached.
bool displayReachable();

// What the window system tells of the screen before the game's window is
// created, in screen pixels: the screen's size; the work area (the screen
// less its panels) where the window manager publishes one; and the frame it
// puts around an ordinary window where it tells that.
struct DesktopArea {
    int screenWidth = 0, screenHeight = 0;
    bool workAreaKnown = false;
    int workX = 0, workY = 0, workWidth = 0, workHeight = 0;
    bool frameKnown = false;
    int frameLeft = 0, frameRight = 0, frameTop = 0, frameBottom = 0;
};
DesktopArea desktopArea();

// Whether the display is XWayland, where a Wayland compositor owns the
// output's mode and the keyboard focus and honours no X grab.
bool displayIsXWayland();

// A modal question with the buttons Yes and No, shown before the game's
// window exists. Returns true only when the player answers Yes.
bool askYesNo(const char* caption, const char* text);

// A modal message with a single OK button; returns once the player has
// dismissed it. A trailing line feed in the text is not shown as a blank line.
void showErrorBox(const char* caption, const char* text);
// The caption of every error box the game shows.
constexpr const char* ERROR_CAPTION = "Error";

// Called with the full-screen surface's OpenGL context current. In the game
// mode the toolkit holds the keyboard and the pointer for that surface, so
// from then on every box stands above it, centred on it, borrows both while it
// is up and hands them back when it goes. A managed surface, an ordinary
// window, is put into the compositor's full-screen state here; it leaves that
// state while a box is up, so that the compositor focuses the box as any
// other window, and returns to it when the box goes.
void setFullScreenSurface(bool managed);

// Called with the game's window (or its full-screen surface) current, right
// after the toolkit has made it: gives it the class its menu entry names, the
// process and machine that run it, and the game's icon.
void identifyGameWindow();

// From this call on, SIGINT, SIGTERM and SIGHUP are only noted (those the
// process was started with ignored stay ignored), so that the program can put
// the desktop's video mode back before it ends. A box up at the time closes
// as if Escape had been pressed, and no further box is shown.
void deferStopSignals();
// The stop signal noted so far, or 0.
int pendingStopSignal();
// Ends the process as the signal would have ended it, exit status included.
void endBySignal(int signal);

// The whole content of a file, mapped read-only.
struct MappedFile {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
};

// Maps the existing file at path. Fails for a file that cannot be opened for
// reading and for an empty one, which cannot be mapped.
bool mapFileReadOnly(const char* path, MappedFile& file);
void unmapFile(MappedFile& file);
