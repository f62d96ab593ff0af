#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "Golden.h"
#include "ScratchFolder.h"
#include "game_access.h"

namespace {

using Access = SnakeGameTestAccess;

void type(const std::string& keys)
{
    for (char key : keys)
        menuScreens->onGameOverKey(static_cast<unsigned char>(key), ORDINARY_KEY, 0, 0);
}

class GameOver : public ScratchFolder {
protected:
    void SetUp() override
    {
        ScratchFolder::SetUp();
        std::filesystem::create_directory("scores");
        endGame(0);
        record::reset();
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

TEST_F(GameOver, ShowsTheScoreAndTheNameTypedSoFar)
{
    endGame(4000000000u);
    type("Ab 1");
    record::reset();
    menuScreens->drawGameOver();
    expectGolden("game_over", textListing());
}

TEST_F(GameOver, NamesTakeLettersDigitsAndSpacesUpToTwentyCharactersAndNothingElse)
{
    type("abcdefghijklmnopqrstuvwxy");
    EXPECT_STREQ(Access::name(*snakeGame), "abcdefghijklmnopqrst");
    EXPECT_EQ(record::only({"glutPostRedisplay"}).size(), 25u);  // a full name still answers every key
    type(std::string(21, '\b') + "Z 09y\b");  // Backspace takes the last character only, if any
    EXPECT_STREQ(Access::name(*snakeGame), "Z 09");
    record::reset();
    type("-_.!\x1b\x7f\t\xc8");
    for (int special : {GLUT_KEY_LEFT, GLUT_KEY_UP, GLUT_KEY_RIGHT, GLUT_KEY_DOWN, GLUT_KEY_F1})
        menuScreens->onGameOverKey('0', special, 0, 0);
    EXPECT_STREQ(Access::name(*snakeGame), "Z 09");
    EXPECT_TRUE(record::calls.empty()) << "ignored keys are not redisplayed";
    EXPECT_EQ(appState->getScreen(), SCREEN_GAME_OVER);
}

TEST_F(GameOver, EnterFilesOnlyANamedScoreAndShowsTheList)
{
    endGame(150);
    type("\r");  // no name; key repeat is on for the name entry only
    EXPECT_EQ(appState->getScreen(), SCREEN_HIGH_SCORES);
    EXPECT_EQ(listing(record::only({"glutIgnoreKeyRepeat", "glutPostRedisplay"})),
              "glutIgnoreKeyRepeat 1\nglutIgnoreKeyRepeat 0\nglutPostRedisplay\nglutIgnoreKeyRepeat 1\nglutPostRedisplay\n");
    endGame(0);
    type("Zed\r");  // nor is a score of 0
    EXPECT_FALSE(std::filesystem::exists(HIGH_SCORE_FILE));
    endGame(150);
    type("   \r");  // spaces count as a name
    EXPECT_STREQ(highScoreTable->normalEntries()[0].name, "   ");
    EXPECT_EQ(highScoreTable->normalEntries()[0].score, 150u);
}

}  // namespace
