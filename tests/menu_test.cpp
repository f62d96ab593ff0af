#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "Golden.h"
#include "ScratchFolder.h"
#include "game_access.h"
#include "screens/Text.h"

namespace {

using Access = SnakeGameTestAccess;

// Each test runs in an empty folder of its own; without img/menu.dat the screens draw on black.
class Screens : public ScratchFolder {
protected:
    static void type(const std::string& keys)
    {
        for (char key : keys)
            menuScreens->onGameOverKey(static_cast<unsigned char>(key), ORDINARY_KEY, 0, 0);
    }
    // Ends a game with the score, as the player's Escape does.
    static void endGame(uint32_t score)
    {
        snakeGame->reset(MODE_NORMAL);
        Access::score(*snakeGame) = score;
        appState->setScreen(SCREEN_GAME);
        snakeGame->onKey(KEY_ESCAPE, ORDINARY_KEY, 0, 0);
    }
};

// Fonts by exact family and offered size only, texts formatted, cut to 255 and drawn from their own
// positions. Then with no picture: white is set before the footer and again before the title, and
// nothing else is drawn.
TEST_F(Screens, TextsInTheirFontsFooterTitleAndBodyOnBlackAndMainMenuKeysChangeTheScreenOrDoNothing)
{
    std::string fonts;
    // The fonts the screens use, and names or sizes not offered, which keep the font chosen before.
    for (auto [name, size] : {std::pair{"helvetica", 12}, {"times roman", 24}, {"8x13", 99}, {"helvetica", 14},
                              {"Helvetica", 12}, {"helvetica ", 12}, {"", 0}}) {
        selectFont("9x15", 0), selectFont(name, size);
        fonts += '"' + std::string(name) + "\" " + std::to_string(size) + ": " + fontName(currentFont) + "\n";
    }
    selectFont("8x13", 0);
    const std::string longText = std::string(254, 'x') + 'E' + std::string(45, 'x');  // E: the last character kept
    drawText(10, 20, "%s", "");
    drawText(402, 404, "%-6s%3d|", "Ann", 7);
    drawText(402, 404, "c\n\td");  // control bytes go to GLUT like any other
    drawText(0, 0, "%s", longText.c_str());
    drawText(0, 0, "\xe9\xff");  // Latin-1: 233 and 255, not negative codes GLUT would drop
    expectGolden("text", fonts + textListing());
    EXPECT_EQ(record::calls.back().args[1], 0xff);

    std::string texts;
    for (auto [name, draw] : {std::pair{"main menu", &MenuScreens::drawMainMenu}, {"help", &MenuScreens::drawHelp},
                              {"about", &MenuScreens::drawAbout}}) {
        record::reset();
        (menuScreens->*draw)();
        texts += std::string("# ") + name + "\nfirst " + listing({record::calls[0]}) +
                 listing(record::only({"glColor3f", "glRasterPos2f", "glDrawPixels"})) + textListing();
    }
    endGame(4000000000u);
    type("Ab 1");
    record::reset();
    menuScreens->drawGameOver();
    expectGolden("menu_screens", texts + "# game over, with a name typed\n" + textListing());
    // A key, or a special key (by its code alone): the screen, the game's mode (0 before) and the calls.
    std::string outcomes;
    for (auto [key, special] : {std::pair{27, -1}, {'1', -1}, {'2', -1}, {'3', -1}, {'4', -1}, {'0', -1}, {'5', -1},
                                {'\r', -1}, {'q', -1}, {0xe9, -1}, {'0', GLUT_KEY_LEFT}, {'0', GLUT_KEY_F1},
                                {'1', GLUT_KEY_F1}, {27, GLUT_KEY_DOWN}}) {
        appState->setScreen(SCREEN_MAIN_MENU), snakeGame->setMode(0), record::reset();
        menuScreens->onMainMenuKey(static_cast<unsigned char>(key), special, 5, 6);
        outcomes += "# " + std::to_string(key) + " " + std::to_string(special) + ": screen " +
                    std::to_string(appState->getScreen()) + ", mode " + std::to_string(snakeGame->getMode()) + "\n" +
                    listing();
    }
    expectGolden("main_menu_keys", outcomes);
}

TEST_F(Screens, NamesTakeLettersDigitsAndSpacesUpToTwentyAndEnterFilesOnlyANamedScoreAboveZero)
{
    std::filesystem::create_directory("scores");
    endGame(0), record::reset();
    type("abcdefghijklmnopqrstuvwxy");
    EXPECT_STREQ(Access::name(*snakeGame), "abcdefghijklmnopqrst");
    EXPECT_EQ(record::only({"glutPostRedisplay"}).size(), 25u);  // a full name still answers every key
    type(std::string(21, '\b') + "Z 09y\b");  // Backspace takes the last character only, if any
    record::reset();
    type("-_.!\x1b\x7f\t\xc8");
    for (int special : {GLUT_KEY_LEFT, GLUT_KEY_UP, GLUT_KEY_RIGHT, GLUT_KEY_DOWN, GLUT_KEY_F1})
        menuScreens->onGameOverKey('0', special, 0, 0);
    EXPECT_STREQ(Access::name(*snakeGame), "Z 09");
    EXPECT_TRUE(record::calls.empty()) << "ignored keys are not redisplayed";
    type("\r");
    EXPECT_EQ(appState->getScreen(), SCREEN_HIGH_SCORES);
    EXPECT_FALSE(std::filesystem::exists(HIGH_SCORE_FILE)) << "a score of 0 was filed";
    record::reset(), endGame(150);
    type("\r");  // no name; key repeat is on for the name entry only
    EXPECT_EQ(listing(record::only({"glutIgnoreKeyRepeat", "glutPostRedisplay"})),
              "glutIgnoreKeyRepeat 1\nglutIgnoreKeyRepeat 0\nglutPostRedisplay\nglutIgnoreKeyRepeat 1\nglutPostRedisplay\n");
    endGame(150);
    type("   \r");  // spaces count as a name
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(highScoreTable->normalEntries()), sizeof(HighScoreEntry)),
              scoreRecord("   ", 150));
}

}  // namespace
