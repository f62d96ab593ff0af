// The desktop's video mode, kept by a small process of its own while the game
// has switched it. The X server keeps a switched mode after the program that
// switched it is gone, and a program killed outright (SIGKILL), crashed, or
// cut off from the server cannot put it back itself. The guard is forked
// before the switch and learns of the game's end from a pipe that only the
// game holds open: the kernel closes it however the game ends.
#include <X11/Xlib.h>
#include <X11/extensions/xf86vmode.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>

#include "platform/GameSurface.h"
#include "platform/X11Display.h"

namespace {

struct VideoMode {
    int width = 0, height = 0, dotClock = 0;
    int viewportX = 0, viewportY = 0;
};

bool readVideoMode(Display* display, VideoMode& mode)
{
    int screen = DefaultScreen(display);
    XF86VidModeModeLine line{};
    if (!XF86VidModeGetModeLine(display, screen, &mode.dotClock, &line))
        return false;
    if (line.privsize > 0)
        XFree(line.c_private);
    mode.width = line.hdisplay;
    mode.height = line.vdisplay;
    return XF86VidModeGetViewPort(display, screen, &mode.viewportX, &mode.viewportY);
}

// The server's mode line of that size and clock, switched to, as the toolkit
// itself gives the desktop its mode back.
void switchTo(Display* display, const VideoMode& mode)
{
    int screen = DefaultScreen(display), count = 0;
    XF86VidModeModeInfo** modes = nullptr;
    if (!XF86VidModeGetAllModeLines(display, screen, &count, &modes))
        return;
    for (int i = 0; i < count; ++i) {
        const XF86VidModeModeInfo& m = *modes[i];
        if (m.hdisplay == mode.width && m.vdisplay == mode.height && static_cast<int>(m.dotclock) == mode.dotClock) {
            XF86VidModeSwitchToMode(display, screen, modes[i]);
            XF86VidModeSetViewPort(display, screen, mode.viewportX, mode.viewportY);
            break;
        }
    }
    XFree(modes);
    XSync(display, False);
}

int leaveQuietly(Display*)
{
    _exit(0);
}

// The guard's whole life: it waits for the game to end, then gives the
// desktop its mode back if the game's mode is still shown. A mode the player
// has set since, or the desktop's own after the game gave it back, stays.
[[noreturn]] void guard(int pipe, const VideoMode& desktop, int gameWidth, int gameHeight)
{
    prctl(PR_SET_NAME, "tarvik-mode");
    // Ctrl+C and a closing terminal reach the whole process group: the game
    // handles them itself, and the guard must outlive it.
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        ::signal(signal, SIG_IGN);
    // Nothing of the game's stays open here, its X connections above all: the
    // server tidies up after the game only once every copy is closed.
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    for (int fd = 3; fd < static_cast<int>(files.rlim_cur) && fd < 65536; ++fd) {
        if (fd != pipe)
            close(fd);
    }
    char byte;
    ssize_t got;
    do
        got = read(pipe, &byte, 1);
    while (got > 0 || (got < 0 && errno == EINTR));
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        _exit(0);
    XSetIOErrorHandler(leaveQuietly);  // the server itself has gone
    VideoMode now;
    if (readVideoMode(display, now) && now.width == gameWidth && now.height == gameHeight)
        switchTo(display, desktop);
    XCloseDisplay(display);
    _exit(0);
}

}  // namespace

void guardVideoMode(int gameWidth, int gameHeight)
{
    VideoMode desktop;
    int ends[2];
    Display* display = dialogDisplay();
    if (!display || !readVideoMode(display, desktop) || (desktop.width == gameWidth && desktop.height == gameHeight) ||
        pipe2(ends, O_CLOEXEC) != 0)
        return;
    pid_t child = fork();
    if (child == 0) {
        close(ends[1]);
        guard(ends[0], desktop, gameWidth, gameHeight);
    }
    close(ends[0]);
    if (child < 0)
        close(ends[1]);
    // The write end stays open, unused, until the game ends.
}

bool videoModeIs(int width, int height)
{
    VideoMode mode;
    Display* display = dialogDisplay();
    return display && readVideoMode(display, mode) && mode.width == width && mode.height == height;
}
