#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <string>

#include "Golden.h"
#include "ScratchFolder.h"

namespace {

// Each test runs in an empty folder of its own; without img/menu.dat the screens draw on black.
using MenuTest = ScratchFolder;

TEST_F(MenuTest, ScreensDrawFooterTitleAndBodyInTheirFontsOnBlack)
{
    std::string texts;
    for (auto [name, draw] : {std::pair{"main menu", &MenuScreens::drawMainMenu}, {"help", &MenuScreens::drawHelp},
                              {"about", &MenuScreens::drawAbout}}) {
        record::reset();
        (menuScreens->*draw)();
        // No picture: white is set before the footer and again before the title, and nothing else is drawn.
        texts += std::string("# ") + name + "\n" + listing(record::only({"glColor3f", "glRasterPos2f", "glDrawPixels"})) +
                 textListing();
        EXPECT_EQ(record::calls[0], (Call{"glColor3f", {1, 1, 1}, ""}));
    }
    expectGolden("menu_screens", texts);
}

// A key, special key (by its code alone) or none: the screen, the game's mode (0 before) and the calls.
TEST_F(MenuTest, MainMenuKeysChangeTheScreenOrDoNothingAtAll)
{
    std::string outcomes;
    for (auto [key, special] : {std::pair{27, -1}, {'1', -1}, {'2', -1}, {'3', -1}, {'4', -1}, {'0', -1}, {'5', -1},
                                {'\r', -1}, {'q', -1}, {0xe9, -1}, {'0', GLUT_KEY_LEFT}, {'0', GLUT_KEY_F1},
                                {'1', GLUT_KEY_F1}, {27, GLUT_KEY_DOWN}}) {
        appState->setScreen(SCREEN_MAIN_MENU);
        snakeGame->setMode(0);
        record::reset();
        menuScreens->onMainMenuKey(static_cast<unsigned char>(key), special, 5, 6);
        outcomes += "# " + std::to_string(key) + " " + std::to_string(special) + ": screen " +
                    std::to_string(appState->getScreen()) + ", mode " + std::to_string(snakeGame->getMode()) + "\n" +
                    listing();
    }
    expectGolden("main_menu_keys", outcomes);
}

}  // namespace
