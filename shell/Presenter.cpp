#include "shell/Presenter.h"

#define GL_GLEXT_PROTOTYPES
#include <GL/freeglut.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/Desktop.h"

namespace {

// A 4:3 size is this many steps of 4 x 3 pixels.
constexpr int SURFACE_STEPS = SURFACE_WIDTH / 4;
constexpr int SMALLEST_STEPS = SMALLEST_WINDOW_WIDTH / 4;
// Where the window manager does not tell its frame: room for the tallest
// usual title bar (GNOME's 37 pixels, KDE's 30, Xfce's 27, Openbox's 21) and
// a border.
constexpr DesktopArea FRAME_ALLOWANCE{.frameLeft = 8, .frameRight = 8, .frameTop = 40, .frameBottom = 8};
// Which of the presenter's framebuffers and textures.
enum { SURFACE, PICTURE };

// Unsized RGBA given in BGRA order is stored in BGRA, the order of Mesa's
// software renderer's windows and of its fast paths for textured rectangles
// and for copies.
void attachTexture(unsigned int framebuffer, unsigned int texture, int width, int height)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
}

// Draws what fixed-function texturing draws, but Mesa's software renderer
// runs a program of this shape through its fast path.
unsigned int makeScalingProgram()
{
    const char* source = "uniform sampler2D surface;\n"
                         "void main() { gl_FragColor = texture2D(surface, gl_TexCoord[0].xy); }\n";
    unsigned int shader = glCreateShader(GL_FRAGMENT_SHADER);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    unsigned int program = glCreateProgram();
    glAttachShader(program, shader);
    glLinkProgram(program);
    glDeleteShader(shader);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    return linked == GL_TRUE ? program : 0;
}

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

Rect placeWindow(const DesktopArea& d, const Rect& monitor)
{
    // The work area, kept to the monitor; a nonsensical one is not used.
    Rect area = monitor;
    int workLeft = std::max(monitor.x, d.workX), workRight = std::min(monitor.x + monitor.width, d.workX + d.workWidth);
    int workTop = std::max(monitor.y, d.workY), workBottom = std::min(monitor.y + monitor.height, d.workY + d.workHeight);
    if (d.workAreaKnown && workRight > workLeft && workBottom > workTop)
        area = {workLeft, workTop, workRight - workLeft, workBottom - workTop};
    // The position asked for is where a window manager puts the frame's
    // top-left corner; the frame's sides add to the client area.
    const DesktopArea& frame = d.frameKnown ? d : FRAME_ALLOWANCE;
    int frameWidth = frame.frameLeft + frame.frameRight, frameHeight = frame.frameTop + frame.frameBottom;
    int right = area.x + area.width, bottom = area.y + area.height;
    int x = monitor.x + WINDOW_X, y = monitor.y + WINDOW_Y;
    if (x >= area.x && y >= area.y && x + frameWidth + SURFACE_WIDTH <= right && y + frameHeight + SURFACE_HEIGHT <= bottom)
        return {x, y, SURFACE_WIDTH, SURFACE_HEIGHT};
    int steps = std::clamp(std::min((area.width - frameWidth) / 4, (area.height - frameHeight) / 3), SMALLEST_STEPS,
                           SURFACE_STEPS);
    int width = 4 * steps, height = 3 * steps;
    return {std::max(area.x, std::min(x, right - frameWidth - width)),
            std::max(area.y, std::min(y, bottom - frameHeight - height)), width, height};
}

void Presenter::askFor(int width, int height)
{
    wanted = {0, 0, width, height};
}

bool Presenter::showIn(int windowWidth, int windowHeight)
{
    scaled = windowWidth != SURFACE_WIDTH || windowHeight != SURFACE_HEIGHT;
    if (scaled && !framebuffers[SURFACE] && !createSurface()) {
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
        glGenTextures(2, textures);
        glGenFramebuffers(2, framebuffers);
        attachTexture(framebuffers[PICTURE], textures[PICTURE], 1, 1);  // sized at each frame of a new size
        attachTexture(framebuffers[SURFACE], textures[SURFACE], SURFACE_WIDTH, SURFACE_HEIGHT);
        bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        if (complete) {
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
            program = makeScalingProgram();
            return true;
        }
        glDeleteFramebuffers(2, framebuffers);
        glDeleteTextures(2, textures);
        framebuffers[SURFACE] = 0;
    }
    unavailable = true;
    std::fprintf(stderr, "tarvik-snake: the OpenGL driver offers no usable framebuffer object: the surface cannot be scaled to the window\n");
    return false;
}

void Presenter::beginFrame()
{
    if (scaled)
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffers[SURFACE]);
}

void Presenter::endFrame()
{
    if (!scaled)
        return;
    // The surface is scaled into a texture of the picture's size, upside down,
    // and that is copied into the window: drawn into the window, which has a
    // depth buffer, or copied the right way up, Mesa's software renderer runs
    // each pixel through its general shader code, several times slower.
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffers[PICTURE]);
    if (resized)
        attachTexture(framebuffers[PICTURE], textures[PICTURE], picture.width, picture.height);
    glViewport(0, 0, picture.width, picture.height);
    glBindTexture(GL_TEXTURE_2D, textures[SURFACE]);
    glEnable(GL_TEXTURE_2D);
    glUseProgram(program);
    // The projection puts the surface's top-left corner, (0, 0), at the top:
    // there the texture's first row, the surface's bottom one, goes.
    glBegin(GL_QUADS);
    for (auto [x, y] : {std::pair{0, 0}, {1, 0}, {1, 1}, {0, 1}}) {
        glTexCoord2i(x, y);
        glVertex2i(x * SURFACE_WIDTH, y * SURFACE_HEIGHT);
    }
    glEnd();
    glUseProgram(0);
    glDisable(GL_TEXTURE_2D);
    glViewport(0, 0, SURFACE_WIDTH, SURFACE_HEIGHT);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClear(GL_COLOR_BUFFER_BIT);  // the black around the picture
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffers[PICTURE]);
    glBlitFramebuffer(0, picture.height, picture.width, 0, picture.x, picture.y, picture.x + picture.width,
                      picture.y + picture.height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    // Mesa's software renderer sizes the window's buffers anew only at the
    // swap after a resize: the first frame at a new size is drawn again.
    if (resized) {
        resized = false;
        glutPostRedisplay();
    }
}
