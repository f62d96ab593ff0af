#include "screens/MenuScreens.h"

#include <GL/freeglut.h>

#include <cstdlib>
#include <span>

#include "game/SnakeGame.h"
#include "image/RgbImage.h"
#include "screens/Text.h"
#include "shell/App.h"
#include "shell/AppState.h"

namespace {

constexpr const char* BACKGROUND_PATH = "img/menu.dat";
constexpr const char* FOOTER = "Tarvik-Snake 1.0";
constexpr int FOOTER_LEFT_OF_RIGHT_EDGE = 220;
constexpr int FOOTER_ABOVE_BOTTOM_EDGE = 20;

// A text line placed relative to the centre of the surface.
struct Line {
    int dx;
    int dy;
    const char* text;
};

// The titles sit 50 pixels above the centre; the body starts 110 pixels left of it.
constexpr int TITLE_DY = -50;
constexpr int BODY_DX = -110;

constexpr Line MAIN_MENU_LINES[] = {
    {BODY_DX, 20, "1   - Play Snake (Normal)"},
    {BODY_DX, 40, "2   - Play Snake (Hard)"},
    {BODY_DX, 60, "3   - HighScores"},
    {BODY_DX, 80, "4   - Help"},
    {BODY_DX, 200, "Esc - Quit Game"},
};

constexpr Line HELP_LINES[] = {
    {BODY_DX, 20, "Action:           Key:"},
    {BODY_DX, 50, "Up           -    up cursor"},
    {BODY_DX, 70, "Down         -    down cursor"},
    {BODY_DX, 90, "Left         -    left cursor"},
    {BODY_DX, 110, "Right        -    right cursor"},
    {BODY_DX, 130, "Pause Game   -    p"},
    {BODY_DX, 150, "Exit Game    -    Esc"},
    {BODY_DX, 200, "Any key - Main Menu"},
};

constexpr Line ABOUT_LINES[] = {
    {BODY_DX, 20, "Developed By:"},
    {BODY_DX, 40, "  The Tarvik-Snake team"},
    {BODY_DX, 70, "Special Thanks to:"},
    {BODY_DX, 90, "  Friends and Family"},
    {-80, 200, "Press Any Key"},
};

void drawLines(std::span<const Line> lines)
{
    int cx = appState->getWidth() / 2;
    int cy = appState->getHeight() / 2;
    for (const Line& line : lines)
        drawText(cx + line.dx, cy + line.dy, "%s", line.text);
}

}  // namespace

MenuScreens::MenuScreens() : background(loadRgbImage(BACKGROUND_PATH)) {}

void MenuScreens::drawBackground()
{
    int w = appState->getWidth();
    int h = appState->getHeight();
    if (background != nullptr) {
        // The raster position is the picture's lower-left corner: the bottom edge.
        glRasterPos2f(0, static_cast<float>(h));
        glDrawPixels(background->width, background->height, GL_RGB, GL_UNSIGNED_BYTE, background->data);
    }
    glColor3f(1, 1, 1);
    selectFont("helvetica", 12);
    drawText(w - FOOTER_LEFT_OF_RIGHT_EDGE, h - FOOTER_ABOVE_BOTTOM_EDGE, "%s", FOOTER);
}

void MenuScreens::beginScreen(const char* title, int x, int y)
{
    drawBackground();
    glColor3f(1, 1, 1);
    selectFont("times roman", 24);
    drawText(x, y, "%s", title);
    selectFont("9x15", 0);
}

void MenuScreens::showScreen(int screen)
{
    appState->setScreen(screen);
    glutPostRedisplay();
}

void MenuScreens::drawMainMenu()
{
    beginScreen("Main Menu", appState->getWidth() / 2 - 80, appState->getHeight() / 2 + TITLE_DY);
    drawLines(MAIN_MENU_LINES);
}

void MenuScreens::onMainMenuKey(unsigned char key, int32_t special, int32_t, int32_t)
{
    if (special != ORDINARY_KEY)
        return;
    switch (key) {
    case KEY_ESCAPE: showScreen(SCREEN_ABOUT); break;
    case '1':
        snakeGame->reset(MODE_NORMAL);
        showScreen(SCREEN_GAME);
        break;
    case '2':
        snakeGame->reset(MODE_HARD);
        showScreen(SCREEN_GAME);
        break;
    case '3': showScreen(SCREEN_HIGH_SCORES); break;
    case '4': showScreen(SCREEN_HELP); break;
    default: break;
    }
}

void MenuScreens::drawHelp()
{
    beginScreen("Help", appState->getWidth() / 2 - 40, appState->getHeight() / 2 + TITLE_DY);
    drawLines(HELP_LINES);
}

void MenuScreens::onHelpKey(unsigned char, int32_t, int32_t, int32_t)
{
    showScreen(SCREEN_MAIN_MENU);
}

void MenuScreens::drawAbout()
{
    beginScreen("About", appState->getWidth() / 2 - 40, appState->getHeight() / 2 + TITLE_DY);
    drawLines(ABOUT_LINES);
}

void MenuScreens::onAboutKey(unsigned char, int32_t, int32_t, int32_t)
{
    // The program's own way out: the high scores were saved when they were made.
    std::exit(0);
}
