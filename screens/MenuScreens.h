#pragma once

#include <cstdint>

struct RgbImage;

// Draws and serves every screen except the game itself: the main menu, help,
// about, game over with name entry, and the high-score lists.
class MenuScreens {
public:
    MenuScreens();  // loads the menu background

    // Background picture, white colour and the footer; every screen draws it first.
    void drawBackground();

    void drawMainMenu();
    void onMainMenuKey(unsigned char key, int32_t special, int32_t x, int32_t y);
    void drawHelp();
    void onHelpKey(unsigned char key, int32_t special, int32_t x, int32_t y);
    void drawAbout();
    void onAboutKey(unsigned char key, int32_t special, int32_t x, int32_t y);

    void drawGameOver();
    void onGameOverKey(unsigned char key, int32_t special, int32_t x, int32_t y);
    // Name editing in place on a buffer of at least MAX_NAME_LENGTH + 1 bytes.
    char* appendNameChar(char* name, char c);
    char* removeLastNameChar(char* name);

    void drawHighScores();
    void onHighScoresKey(unsigned char key, int32_t special, int32_t x, int32_t y);

private:
    // The background, then the title in Times Roman 24 at (x, y), leaving the
    // colour white and the 9 by 15 body font chosen.
    void beginScreen(const char* title, int x, int y);
    // setScreen followed by the redisplay that every change of screen needs.
    void showScreen(int screen);

    RgbImage* background = nullptr;  // null when "img/menu.dat" could not be loaded
};
