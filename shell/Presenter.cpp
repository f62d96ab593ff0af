#include "shell/Presenter.h"

#define GL_GLEXT_PROTOTYPES
#include <GL/freeglut.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdio>

#include "platform/Platform.h"

namespace {

constexpr int WINDOW_X = 150;
constexpr int WINDOW_Y = 50;
// A 4:3 size is this many steps of 4 x 3 pixels.
constexpr int SURFACE_STEPS = SURFACE_WIDTH / 4;
constexpr int SMALLEST_STEPS = SMALLEST_WINDOW_WIDTH / 4;
// Where the window manager does not tell its frame: room for the tallest
// usual title bar (GNOME's 37 pixels, KDE's 30, Xfce's 27, Openbox's 21) and
// a border.
constexpr DesktopArea FRAME_ALLOWANCE{.frameLeft = 8, .frameRight = 8, .frameTop = 40, .frameBottom = 8};

}  // namespace

Rect fitSurface(int windowWidth, int windowHeight)
{
    int width = windowWidth, height = windowHeight;
    if (windowWidth * 3 <= windowHeight * 4)
        height = (windowWidth * 3 + 2) / 4;
    else
        width = (windowHeight * 4 + 1) / 3;
    return {(windowWidth - width) / 2, (windowHeight - height) / 2, width, height};
}

Rect placeWindow(const DesktopArea& d)
{
    // The work area, kept to the screen; a nonsensical one is not used.
    Rect area{0, 0, d.screenWidth, d.screenHeight};
    int workLeft = std::max(0, d.workX), workRight = std::min(d.screenWidth, d.workX + d.workWidth);
    int workTop = std::max(0, d.workY), workBottom = std::min(d.screenHeight, d.workY + d.workHeight);
    if (d.workAreaKnown && workRight > workLeft && workBottom > workTop)
        area = {workLeft, workTop, workRight - workLeft, workBottom - workTop};
    // The position asked for is where a window manager puts the frame's
    // top-left corner; the frame's sides add to the client area.
    const DesktopArea& frame = d.frameKnown ? d : FRAME_ALLOWANCE;
    int frameWidth = frame.frameLeft + frame.frameRight, frameHeight = frame.frameTop + frame.frameBottom;
    int right = area.x + area.width, bottom = area.y + area.height;
    if (WINDOW_X >= area.x && WINDOW_Y >= area.y && WINDOW_X + frameWidth + SURFACE_WIDTH <= right &&
        WINDOW_Y + frameHeight + SURFACE_HEIGHT <= bottom)
        return {WINDOW_X, WINDOW_Y, SURFACE_WIDTH, SURFACE_HEIGHT};
    int steps = std::clamp(std::min((area.width - frameWidth) / 4, (area.height - frameHeight) / 3), SMALLEST_STEPS,
                           SURFACE_STEPS);
    int width = 4 * steps, height = 3 * steps;
    return {std::max(area.x, std::min(WINDOW_X, right - frameWidth - width)),
            std::max(area.y, std::min(WINDOW_Y, bottom - frameHeight - height)), width, height};
}

void Presenter::askFor(int width, int height)
{
    wanted = {0, 0, width, height};
}

bool Presenter::showIn(int windowWidth, int windowHeight)
{
    scaled = windowWidth != SURFACE_WIDTH || windowHeight != SURFACE_HEIGHT;
    if (scaled && !framebuffer && !createSurface()) {
        scaled = false;
        askFor(SURFACE_WIDTH, SURFACE_HEIGHT);
        return false;
    }
    Rect fitted = fitSurface(windowWidth, windowHeight);
    resized = resized || fitted != picture;
    picture = fitted;
    return true;
}

bool Presenter::createSurface()
{
    if (unavailable)
        return false;
    if (glutExtensionSupported("GL_ARB_framebuffer_object")) {
        glGenRenderbuffers(1, &colour);
        glBindRenderbuffer(GL_RENDERBUFFER, colour);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, SURFACE_WIDTH, SURFACE_HEIGHT);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
        bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        if (complete)
            return true;
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteRenderbuffers(1, &colour);
        framebuffer = colour = 0;
    }
    unavailable = true;
    std::fprintf(stderr, "tarvik-snake: the OpenGL driver offers no usable framebuffer object: the surface cannot be scaled to the window\n");
    return false;
}

void Presenter::beginFrame()
{
    if (scaled)
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
}

void Presenter::endFrame()
{
    if (!scaled)
        return;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClear(GL_COLOR_BUFFER_BIT);  // the black around the picture
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glBlitFramebuffer(0, 0, SURFACE_WIDTH, SURFACE_HEIGHT, picture.x, picture.y, picture.x + picture.width,
                      picture.y + picture.height, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    // Mesa's software renderer sizes the window's buffers anew only at the
    // swap after a resize: the first frame at a new size is drawn again.
    if (resized) {
        resized = false;
        glutPostRedisplay();
    }
}
