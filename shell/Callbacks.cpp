#include <GL/freeglut.h>

#include "game/SnakeGame.h"
#include "screens/MenuScreens.h"
#include "shell/App.h"
#include "shell/AppState.h"
#include "shell/Presenter.h"

namespace {

constexpr unsigned char SPECIAL_KEY_CHARACTER = '0';

void dispatchKey(unsigned char key, int special, int x, int y)
{
    switch (appState->getScreen()) {
    case SCREEN_MAIN_MENU: menuScreens->onMainMenuKey(key, special, x, y); break;
    case SCREEN_GAME: snakeGame->onKey(key, special, x, y); break;
    case SCREEN_GAME_OVER: menuScreens->onGameOverKey(key, special, x, y); break;
    case SCREEN_HIGH_SCORES: menuScreens->onHighScoresKey(key, special, x, y); break;
    case SCREEN_HELP: menuScreens->onHelpKey(key, special, x, y); break;
    case SCREEN_ABOUT: menuScreens->onAboutKey(key, special, x, y); break;
    default: break;
    }
}

}  // namespace

void onDisplay()
{
    presenter.beginFrame();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    switch (appState->getScreen()) {
    case SCREEN_MAIN_MENU: menuScreens->drawMainMenu(); break;
    case SCREEN_GAME: snakeGame->draw(); break;
    case SCREEN_GAME_OVER: menuScreens->drawGameOver(); break;
    case SCREEN_HIGH_SCORES: menuScreens->drawHighScores(); break;
    case SCREEN_HELP: menuScreens->drawHelp(); break;
    case SCREEN_ABOUT: menuScreens->drawAbout(); break;
    default: break;
    }
    presenter.endFrame();
    glutSwapBuffers();
    glFlush();
}

void onKeyboard(unsigned char key, int x, int y)
{
    dispatchKey(key, ORDINARY_KEY, x, y);
}

void onSpecialKey(int key, int x, int y)
{
    // freeglut reports a lone Shift, Ctrl, Alt or Super, and Num Lock, as keys
    // of their own; they are never a key press of the game's (the Shift of a
    // capital letter would otherwise leave the about, help or high-score screen).
    if (key == GLUT_KEY_NUM_LOCK || (key >= GLUT_KEY_SHIFT_L && key <= GLUT_KEY_SUPER_R))
        return;
    dispatchKey(SPECIAL_KEY_CHARACTER, key, x, y);
}

void onTimer(int)
{
    endIfStopSignalled();
    if (appState->getScreen() == SCREEN_GAME) {
        snakeGame->tick();
        glutPostRedisplay();
    }
    // No catching up: the next period counts from the end of this call.
    glutTimerFunc(static_cast<unsigned int>(1000 / appState->tickRate), onTimer, 1);
}
