#include "shell/App.h"

#include <GL/freeglut.h>
#include <GL/glu.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "highscores/HighScoreTable.h"
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

// A window that would reach past the work area is opened smaller, inside it,
// and keeps that size; the surface is shown scaled there.
void openWindow()
{
    Rect window = placeWindow(desktopArea());
    if (window != Rect{WINDOW_X, WINDOW_Y, SURFACE_WIDTH, SURFACE_HEIGHT}) {
        glutInitWindowSize(window.width, window.height);
        glutInitWindowPosition(window.x, window.y);
        presenter.askFor(window.width, window.height);
    }
    glutCreateWindow(TITLE);
}

}  // namespace

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

    bool fullScreen = askFullScreen();
    // A Wayland compositor keeps the output's mode and the keyboard focus to
    // itself and honours no X grab: it is asked for a full-screen window,
    // which it focuses like any other.
    if (fullScreen && displayIsXWayland()) {
        glutCreateWindow(TITLE);
        glutSetCursor(GLUT_CURSOR_NONE);
        setFullScreenSurface(true);
        // The output's size, shown scaled; the toolkit would take the window
        // out of its full-screen state to resize it.
        presenter.askFor(0, 0);
    } else if (fullScreen) {
        glutGameModeString(GAME_MODE);
        fullScreen = glutGameModeGet(GLUT_GAME_MODE_POSSIBLE);
        if (fullScreen) {
            deferStopSignals();
            glutEnterGameMode();
            glutSetWindowTitle(TITLE);
            glutSetCursor(GLUT_CURSOR_NONE);
            setFullScreenSurface(false);
            std::atexit(leaveFullScreen);
        }
    }
    if (!fullScreen)
        openWindow();
    identifyGameWindow();

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
