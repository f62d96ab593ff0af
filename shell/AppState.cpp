#include "shell/AppState.h"

#include <GL/freeglut.h>

AppState::AppState(int startScreen) : screen(startScreen) {}

void AppState::setScreen(int s)
{
    glutIgnoreKeyRepeat(s == SCREEN_GAME_OVER ? 0 : 1);
    screen = s;
}
