#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <string>

#include "Golden.h"
#include "ScratchFolder.h"

namespace {

// Every screen these keys lead to ignores key repeat.
const std::vector<Call> SCREEN_CHANGE = {{"glutIgnoreKeyRepeat", {1}, ""}, {"glutPostRedisplay", {}, ""}};

// Each test runs in an empty folder of its own; without img/menu.dat the screens draw on black.
class MenuTest : public ScratchFolder {
protected:
    void SetUp() override
    {
        ScratchFolder::SetUp();
        appState->setScreen(SCREEN_MAIN_MENU);
        record::reset();
    }
};

TEST_F(MenuTest, ScreensDrawFooterTitleAndBodyInTheirFontsOnBlack)
{
    std::string texts;
    for (auto [name, draw] : {std::pair{"main menu", &MenuScreens::drawMainMenu}, {"help", &MenuScreens::drawHelp},
                              {"about", &MenuScreens::drawAbout}}) {
        record::reset();
        (menuScreens->*draw)();
        texts += std::string("# ") + name + "\n" + textListing();
        // No picture: white is set before the footer and again before the title, and nothing else is drawn.
        const Call white = {"glColor3f", {1, 1, 1}, ""};
        EXPECT_EQ(record::only({"glColor3f", "glRasterPos2f", "glDrawPixels"}), (std::vector<Call>{white, white}));
        EXPECT_EQ(record::calls[0], white);
    }
    expectGolden("menu_screens", texts);
}

TEST_F(MenuTest, MainMenuKeysChangeTheScreenOrDoNothingAtAll)
{
    constexpr int UNCHANGED = 0;
    struct Case {
        unsigned char key;
        int special;
        int screen;
        int mode;  // the game's mode afterwards; it starts at 0, neither mode
    };
    const Case cases[] = {
        {27, -1, SCREEN_ABOUT, 0}, {'1', -1, SCREEN_GAME, MODE_NORMAL}, {'2', -1, SCREEN_GAME, MODE_HARD},
        {'3', -1, SCREEN_HIGH_SCORES, 0}, {'4', -1, SCREEN_HELP, 0},
        {'0', -1, UNCHANGED, 0}, {'5', -1, UNCHANGED, 0}, {'\r', -1, UNCHANGED, 0}, {'q', -1, UNCHANGED, 0},
        {0xe9, -1, UNCHANGED, 0}, {'0', GLUT_KEY_LEFT, UNCHANGED, 0}, {'0', GLUT_KEY_F1, UNCHANGED, 0},
        {'1', GLUT_KEY_F1, UNCHANGED, 0}, {27, GLUT_KEY_DOWN, UNCHANGED, 0},  // special keys go by special alone
    };
    for (const Case& c : cases) {
        appState->setScreen(SCREEN_MAIN_MENU);
        snakeGame->setMode(0);
        record::reset();
        menuScreens->onMainMenuKey(c.key, c.special, 5, 6);
        SCOPED_TRACE(std::to_string(c.key) + " " + std::to_string(c.special));
        EXPECT_EQ(snakeGame->getMode(), c.mode);
        if (c.screen == UNCHANGED) {
            EXPECT_EQ(appState->getScreen(), SCREEN_MAIN_MENU);
            EXPECT_TRUE(record::calls.empty());
        } else {
            EXPECT_EQ(appState->getScreen(), c.screen);
            EXPECT_EQ(record::only({"glutIgnoreKeyRepeat", "glutPostRedisplay"}), SCREEN_CHANGE);
        }
    }
}

}  // namespace
