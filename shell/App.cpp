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

AppState* appState = nullptr;
MenuScreens* menuScreens = nullptr;
SnakeGame* snakeGame = nullptr;
HighScoreTable* highScoreTable = nullptr;

namespace {

constexpr int SURFACE_WIDTH = 1024;
constexpr int SURFACE_HEIGHT = 768;
constexpr int WINDOW_X = 150;
constexpr int WINDOW_Y = 50;
constexpr unsigned int DISPLAY_MODE = GLUT_RGB | GLUT_DOUBLE | GLUT_ACCUM | GLUT_DEPTH;  // 22
constexpr const char* GAME_MODE = "1024x768:32";
constexpr const char* TITLE = "Tarvik-Snake";
constexpr const char* QUESTION = "Pretende jogar \"Tarvik-Snake\" em Full Screen ?";
constexpr unsigned int FIRST_TIMER_MS = 33;

// A window the compositor keeps in its full-screen state (under XWayland);
// its size is the output's, which the surface is shown within.
bool managedFullScreen = false;

// The X server keeps a changed video mode after the program ends, so the
// desktop's mode is put back on every way out of a full-screen run.
void leaveFullScreen()
{
    if (glutGet(GLUT_INIT_STATE) && glutGameModeGet(GLUT_GAME_MODE_ACTIVE))
        glutLeaveGameMode();
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
    managedFullScreen = fullScreen && displayIsXWayland();
    if (managedFullScreen) {
        glutCreateWindow(TITLE);
        glutSetCursor(GLUT_CURSOR_NONE);
        setFullScreenSurface(true);
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
        glutCreateWindow(TITLE);

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
    if (width != SURFACE_WIDTH || height != SURFACE_HEIGHT) {
        // The toolkit would take the window out of its full-screen state to resize it.
        if (!managedFullScreen) {
            glutReshapeWindow(SURFACE_WIDTH, SURFACE_HEIGHT);
            return;
        }
        width = SURFACE_WIDTH;
        height = SURFACE_HEIGHT;
    }
    appState->setWidth(width);
    appState->setHeight(height);
    glViewport(0, 0, width, height);

    // One unit per pixel, origin at the top-left corner, y growing downwards.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, static_cast<double>(width), 0.0, static_cast<double>(height));
    glScalef(1.0f, -1.0f, 1.0f);
    glTranslatef(0.0f, static_cast<float>(-height), 0.0f);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glutPostRedisplay();
}
