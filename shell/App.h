#pragma once

class AppState;
class MenuScreens;
class SnakeGame;
class HighScoreTable;
class Presenter;
struct Desktop;
struct Monitor;

// The four objects that hold the whole state of the program: created once by
// initApp, in this order, and never destroyed.
extern AppState* appState;
extern MenuScreens* menuScreens;
extern SnakeGame* snakeGame;
extern HighScoreTable* highScoreTable;
// How frames reach the window: straight, or scaled to a window of another size.
extern Presenter presenter;

// Start-up: the question, the surface, the callbacks, initApp, then the main loop.
void runApp();
// The modal start-up question; true only when the player answers Yes.
bool askFullScreen();
// Creates the four objects and puts OpenGL in the state every screen draws in.
void initApp();
// A stop signal noted in full screen ends the process here, outside the
// handler, after the desktop has its video mode back.
void endIfStopSignalled();

// GLUT callbacks.
void onReshape(int width, int height);
void onDisplay();
void onKeyboard(unsigned char key, int x, int y);
void onSpecialKey(int key, int x, int y);
void onTimer(int value);

// The display mode the surface is opened with: 22 when the display offers it,
// otherwise without the accumulation buffer, then without the depth buffer.
unsigned int chooseDisplayMode();

// How the surface is opened: an ordinary window; the full-screen video mode
// switched (one monitor); or a window in the desktop's full-screen state on
// the game's monitor, no mode switched (several monitors, a Wayland desktop).
enum SurfacePath { PATH_WINDOW, PATH_MODE_SWITCH, PATH_DESKTOP_FULL_SCREEN };
SurfacePath chooseSurfacePath(bool fullScreen, const Desktop& desktop);
// The monitor the game covers or opens on, and its boxes stand on: the
// primary one, else the first the server lists, else the whole screen.
Monitor gameMonitor(const Desktop& desktop);
