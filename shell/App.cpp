#include "shell/App.h"

#include <GL/freeglut.h>
#include <GL/glu.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "highscores/HighScoreTable.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/GameSurface.h"
#include "platform/Platform.h"
#include "screens/MenuScreens.h"
#include "game/SnakeGame.h"
#include "shell/AppState.h"
#include "shell/Presenter.h"

AppState* appState = nullptr;
MenuScreens* menuScreens = nullptr;
SnakeGame* snakeGame = nullptr;
HighScoreTable* highScoreTable = nullptr;
Presenter presenter;

namespace {

constexpr unsigned int DISPLAY_MODE = GLUT_RGB | GLUT_DOUBLE | GLUT_ACCUM | GLUT_DEPTH;  // 22
constexpr const char* GAME_MODE = "1024x768:32";
constexpr const char* TITLE = "Tarvik-Snake";
constexpr const char* QUESTION = "Pretende jogar \"Tarvik-Snake\" em Full Screen ?";
constexpr unsigned int FIRST_TIMER_MS = 33;

// The X server keeps a changed video mode after the program ends, so the
// desktop's mode is put back on every way out of a full-screen run.
void leaveFullScreen()
{
    if (glutGet(GLUT_INIT_STATE) && glutGameModeGet(GLUT_GAME_MODE_ACTIVE))
        glutLeaveGameMode();
}

// The game mode; false where the mode did not really change.
bool enterGameMode(const Monitor& monitor)
{
    deferStopSignals();
    guardVideoMode(SURFACE_WIDTH, SURFACE_HEIGHT);
    planSurface(SURFACE_GAME_MODE, monitor);
    glutEnterGameMode();
    std::atexit(leaveFullScreen);
    glutSetWindowTitle(TITLE);
    glutSetCursor(GLUT_CURSOR_NONE);
    return videoModeIs(SURFACE_WIDTH, SURFACE_HEIGHT);
}

// A window that would reach past the work area of its monitor is opened
// smaller, inside it, and keeps that size; the surface is shown scaled there.
void openWindow(const Monitor& monitor)
{
    planSurface(SURFACE_WINDOW, monitor);
    Rect window = placeWindow(desktopArea(), {monitor.x, monitor.y, monitor.width, monitor.height});
    if (window != Rect{WINDOW_X, WINDOW_Y, SURFACE_WIDTH, SURFACE_HEIGHT}) {
        glutInitWindowSize(window.width, window.height);
        glutInitWindowPosition(window.x, window.y);
        presenter.askFor(window.width, window.height);
    }
    glutCreateWindow(TITLE);
}

// The surface the player asked for, made in one of three ways.
void openSurface(SurfacePath path, const Desktop& desktop, const Monitor& monitor)
{
    if (path == PATH_MODE_SWITCH) {
        glutGameModeString(GAME_MODE);
        if (!glutGameModeGet(GLUT_GAME_MODE_POSSIBLE)) {
            path = PATH_WINDOW;
        } else if (!enterGameMode(monitor)) {
            // The surface would be a corner of a screen still in its own mode.
            leaveFullScreen();
            path = PATH_DESKTOP_FULL_SCREEN;
        }
    }
    if (path == PATH_DESKTOP_FULL_SCREEN) {
        // Where no window manager runs, the game's own window covers the monitor.
        planSurface(desktop.windowManager || desktop.xwayland ? SURFACE_DESKTOP_FULL_SCREEN : SURFACE_COVERING_WINDOW,
                    monitor);
        glutInitWindowSize(monitor.width, monitor.height);
        glutInitWindowPosition(monitor.x, monitor.y);
        glutCreateWindow(TITLE);
        glutSetCursor(GLUT_CURSOR_NONE);
        // The monitor's size, shown scaled; the toolkit would take the window
        // out of its full-screen state to resize it.
        presenter.askFor(0, 0);
    }
    if (path == PATH_WINDOW)
        openWindow(monitor);
    surfaceMade();
}

}  // namespace

Monitor gameMonitor(const Desktop& desktop)
{
    for (const Monitor& m : desktop.monitors) {
        if (m.primary)
            return m;
    }
    if (!desktop.monitors.empty())
        return desktop.monitors.front();
    return {0, 0, desktop.screenWidth, desktop.screenHeight};
}

SurfacePath chooseSurfacePath(bool fullScreen, const Desktop& desktop)
{
    if (!fullScreen)
        return PATH_WINDOW;
    // A Wayland compositor keeps the outputs' modes and the keyboard focus to
    // itself and honours no X grab; a video mode switched on one of several
    // monitors would reach them all (set on every output) or show the game in
    // a corner of one: both are asked for a full-screen window instead.
    if (desktop.xwayland || desktop.monitors.size() > 1)
        return PATH_DESKTOP_FULL_SCREEN;
    return PATH_MODE_SWITCH;
}

unsigned int chooseDisplayMode()
{
    // The accumulation and depth buffers are never drawn into; a display
    // without them must not keep the game from starting.
    for (unsigned int mode : {DISPLAY_MODE, DISPLAY_MODE & ~GLUT_ACCUM, DISPLAY_MODE & ~GLUT_ACCUM & ~GLUT_DEPTH}) {
        glutInitDisplayMode(mode);
        if (glutGet(GLUT_DISPLAY_MODE_POSSIBLE))
            return mode;
    }
    return DISPLAY_MODE & ~GLUT_ACCUM & ~GLUT_DEPTH;
}

void runApp()
{
    if (!displayReachable()) {
        std::fprintf(stderr, "tarvik-snake: cannot open the X display (is DISPLAY set?)\n");
        std::exit(EXIT_FAILURE);
    }
    // The toolkit needs initialising; it is handed only the program's name.
    int argc = 1;
    char programName[] = "tarvik-snake";
    char* argv[] = {programName, nullptr};
    glutInit(&argc, argv);

    chooseDisplayMode();
    glutInitWindowSize(SURFACE_WIDTH, SURFACE_HEIGHT);
    glutInitWindowPosition(WINDOW_X, WINDOW_Y);

    // The question stands on the monitor the game will cover or open on.
    Desktop desktop = readDesktop();
    Monitor monitor = gameMonitor(desktop);
    planSurface(SURFACE_WINDOW, monitor);
    openSurface(chooseSurfacePath(askFullScreen(), desktop), desktop, monitor);

    glutDisplayFunc(onDisplay);
    glutReshapeFunc(onReshape);
    glutKeyboardFunc(onKeyboard);
    glutSpecialFunc(onSpecialKey);
    glutTimerFunc(FIRST_TIMER_MS, onTimer, 1);
    glutIgnoreKeyRepeat(1);
    initApp();
    glutMainLoop();
}

void endIfStopSignalled()
{
    if (int signal = pendingStopSignal()) {
        leaveFullScreen();
        endBySignal(signal);
    }
}

bool askFullScreen()
{
    return askYesNo(TITLE, QUESTION);
}

void initApp()
{
    appState = new AppState(SCREEN_MAIN_MENU);
    menuScreens = new MenuScreens();
    snakeGame = new SnakeGame();
    highScoreTable = new HighScoreTable();

    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    for (GLenum capability : {GL_DEPTH_TEST, GL_LIGHTING, GL_FOG}) {
        if (glIsEnabled(capability))
            glDisable(capability);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);  // RgbImage rows are packed
}

void onReshape(int width, int height)
{
    // The window is asked for its size again whenever it is told another, and
    // meanwhile shows the surface scaled where it can.
    bool shown = presenter.showIn(width, height);
    if (presenter.wantedWidth() && (width != presenter.wantedWidth() || height != presenter.wantedHeight()))
        glutReshapeWindow(presenter.wantedWidth(), presenter.wantedHeight());
    if (!shown)
        return;
    appState->setWidth(SURFACE_WIDTH);
    appState->setHeight(SURFACE_HEIGHT);
    glViewport(0, 0, SURFACE_WIDTH, SURFACE_HEIGHT);

    // One unit per pixel, origin at the top-left corner, y growing downwards.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, static_cast<double>(SURFACE_WIDTH), 0.0, static_cast<double>(SURFACE_HEIGHT));
    glScalef(1.0f, -1.0f, 1.0f);
    glTranslatef(0.0f, static_cast<float>(-SURFACE_HEIGHT), 0.0f);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glutPostRedisplay();
}
