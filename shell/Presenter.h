#pragma once
// How the 1024 x 768 drawing surface reaches the window. Where the window has
// the surface's size (and in full screen) every frame is drawn straight into
// it. At any other size the surface is shown scaled: each frame is drawn,
// unchanged, into an off-screen framebuffer of the surface's size, which is
// then drawn into the window as large as it fits with its 4:3 aspect kept,
// centred, black around it.

struct DesktopArea;

constexpr int SURFACE_WIDTH = 1024;
constexpr int SURFACE_HEIGHT = 768;
// Where the window is asked to open, in screen pixels.
constexpr int WINDOW_X = 150;
constexpr int WINDOW_Y = 50;
// Below this the field's cells and the text would be a few pixels high.
constexpr int SMALLEST_WINDOW_WIDTH = 320;
constexpr int SMALLEST_WINDOW_HEIGHT = 240;

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Rect&) const = default;
};

// The part of a window the surface is shown in: the largest 4:3 rectangle it
// holds, centred, in OpenGL's window coordinates (from the lower-left corner).
Rect fitSurface(int windowWidth, int windowHeight);

// The window to open on that desktop's monitor: the position to ask for
// (where a window manager puts the frame's top-left corner) and the client
// area's size. The surface's size at (150, 50) from the monitor's corner where
// that window and its frame lie inside the monitor's part of the work area,
// else the largest 4:3 client area up to the surface's size that does, placed
// as near there as it can be. On a work area too small even for 320 x 240:
// 320 x 240 at the work area's top-left corner.
Rect placeWindow(const DesktopArea& desktop, const Rect& monitor);

class Presenter {
public:
    // The window size to ask the toolkit for whenever it reports another;
    // 0 x 0 asks for none (a window whose size the desktop decides).
    void askFor(int width, int height);
    int wantedWidth() const { return wanted.width; }
    int wantedHeight() const { return wanted.height; }

    // Decides from the window size the toolkit reports whether frames go
    // straight to the window or scaled. False when the surface cannot be
    // shown in that window at all: another size, and no framebuffer objects
    // (said once on stderr); the window is then asked for the surface's size.
    bool showIn(int windowWidth, int windowHeight);
    bool isScaled() const { return scaled; }

    // Around the drawing of each frame, before glutSwapBuffers; both do
    // nothing while the window has the surface's size.
    void beginFrame();
    void endFrame();

private:
    bool createSurface();

    Rect wanted{0, 0, SURFACE_WIDTH, SURFACE_HEIGHT};
    Rect picture;              // where the scaled surface goes in the window
    bool scaled = false;
    bool resized = false;      // no scaled frame drawn yet at this window size
    bool unavailable = false;  // the driver has no framebuffer objects
    // Made at the first size other than the surface's: a texture and its
    // framebuffer each for the surface and for the scaled picture, and the
    // fragment program that scales (0 where there is none).
    unsigned int framebuffers[2] = {}, textures[2] = {};
    unsigned int program = 0;
};
