#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "ScratchFolder.h"

namespace {

std::string playerName()
{
    char* copy = snakeGame->getPlayerName();
    std::string name = copy;
    std::free(copy);
    return name;
}

void type(const std::string& keys)
{
    for (char key : keys)
        menuScreens->onGameOverKey(static_cast<unsigned char>(key), -1, 0, 0);
}

std::size_t redisplays() { return record::named("glutPostRedisplay").size(); }

// Steers the real game straight to its first food, then leaves it with Escape.
void playToAScore(int32_t mode)
{
    snakeGame->reset(mode);
    appState->setScreen(SCREEN_GAME);
    const int middleX = GRID_ORIGIN_X + CELL_SIZE * GRID_LAST_COLUMN / 2;
    const int middleY = GRID_ORIGIN_Y + CELL_SIZE * GRID_LAST_ROW / 2;
    for (int step = 0; step < 500 && snakeGame->getScore() == 0; ++step) {
        ASSERT_EQ(appState->getScreen(), SCREEN_GAME) << "the snake died at step " << step;
        const GridPoint* body = snakeGame->getSegments();
        GridPoint head = body[snakeGame->getSegmentCount() - 1];
        GridPoint neck = body[snakeGame->getSegmentCount() - 2];
        GridPoint food = snakeGame->getFood();
        int turn = food.x != head.x ? (food.x < head.x ? GLUT_KEY_LEFT : GLUT_KEY_RIGHT)
                                    : (food.y < head.y ? GLUT_KEY_UP : GLUT_KEY_DOWN);
        // The snake cannot turn back on itself: it goes round by a side step.
        bool movingRight = head.x > neck.x, movingLeft = head.x < neck.x;
        bool movingDown = head.y > neck.y, movingUp = head.y < neck.y;
        if ((turn == GLUT_KEY_LEFT && movingRight) || (turn == GLUT_KEY_RIGHT && movingLeft))
            turn = head.y > middleY ? GLUT_KEY_UP : GLUT_KEY_DOWN;
        if ((turn == GLUT_KEY_UP && movingDown) || (turn == GLUT_KEY_DOWN && movingUp))
            turn = head.x > middleX ? GLUT_KEY_LEFT : GLUT_KEY_RIGHT;
        snakeGame->onKey('0', turn, 0, 0);
        snakeGame->tick();
    }
    ASSERT_GT(snakeGame->getScore(), 0u);
    snakeGame->onKey(27, -1, 0, 0);
    ASSERT_EQ(appState->getScreen(), SCREEN_GAME_OVER);
}

class GameOver : public ScratchFolder {
protected:
    void SetUp() override
    {
        ScratchFolder::SetUp();
        std::filesystem::create_directory("scores");
        snakeGame->reset(MODE_NORMAL);
        appState->setScreen(SCREEN_GAME_OVER);
        record::reset();
    }
};

TEST_F(GameOver, ShowsTheScoreAndTheNameTypedSoFar)
{
    type("Ab 1");
    record::reset();
    menuScreens->drawGameOver();
    void* title = GLUT_BITMAP_TIMES_ROMAN_24;
    void* body = GLUT_BITMAP_9_BY_15;
    std::vector<record::TextRun> expected = {
        {432, 334, "Game Over", title},
        {402, 404, "Your Score is: 0", body},
        {402, 434, "Insert Your Name:", body},
        {402, 454, "> Ab 1", body},
        {402, 584, "Enter to Continue", body},
    };
    expectLastTextRuns(expected);
}

TEST_F(GameOver, NamesTakeLettersDigitsAndSpacesUpToTwentyCharacters)
{
    type("abcdefghijklmnopqrstuvwxy");
    EXPECT_EQ(playerName(), "abcdefghijklmnopqrst");
    EXPECT_EQ(redisplays(), 25u);  // a full name still answers every key

    type(std::string(20, '\b'));
    EXPECT_EQ(playerName(), "");
    record::reset();
    type("\b");
    EXPECT_EQ(playerName(), "");
    EXPECT_EQ(redisplays(), 1u);

    type("Z 9");
    EXPECT_EQ(playerName(), "Z 9");
}

TEST_F(GameOver, OtherKeysAndSpecialKeysAreIgnoredWithoutARedisplay)
{
    type("a");
    record::reset();
    type("-_.!\x1b\x7f\t");
    menuScreens->onGameOverKey(200, -1, 0, 0);
    for (int special : {GLUT_KEY_LEFT, GLUT_KEY_UP, GLUT_KEY_RIGHT, GLUT_KEY_DOWN, GLUT_KEY_F1})
        menuScreens->onGameOverKey('0', special, 0, 0);
    EXPECT_EQ(playerName(), "a");
    EXPECT_TRUE(record::calls.empty());
    EXPECT_EQ(appState->getScreen(), SCREEN_GAME_OVER);
}

TEST_F(GameOver, EnterWithoutANameOrWithoutPointsFilesNothing)
{
    type("\r");
    EXPECT_EQ(appState->getScreen(), SCREEN_HIGH_SCORES);
    EXPECT_EQ(record::only({"glutIgnoreKeyRepeat", "glutPostRedisplay"}),
              (std::vector<Call>{{"glutIgnoreKeyRepeat", {1}, ""}, {"glutPostRedisplay", {}, ""}}));

    appState->setScreen(SCREEN_GAME_OVER);
    type("bob\r");  // the score is still 0
    EXPECT_EQ(appState->getScreen(), SCREEN_HIGH_SCORES);
    EXPECT_FALSE(std::filesystem::exists(HIGH_SCORE_FILE));
    EXPECT_EQ(highScoreTable->normalEntries()[0].name[0], '\0');
}

TEST_F(GameOver, EnterFilesAFinishedGameInItsModeAndShowsThatList)
{
    playToAScore(MODE_NORMAL);
    uint32_t normalScore = snakeGame->getScore();
    type("   \r");  // spaces count as a name
    EXPECT_STREQ(highScoreTable->normalEntries()[0].name, "   ");
    EXPECT_EQ(highScoreTable->normalEntries()[0].score, normalScore);
    EXPECT_EQ(appState->getScreen(), SCREEN_HIGH_SCORES);

    playToAScore(MODE_HARD);
    uint32_t hardScore = snakeGame->getScore();
    type("Hh\r");
    EXPECT_STREQ(highScoreTable->hardEntries()[0].name, "Hh");
    EXPECT_STREQ(highScoreTable->normalEntries()[0].name, "   ");

    // A fresh table reads both back from the file.
    HighScoreTable reloaded;
    EXPECT_EQ(reloaded.normalEntries()[0].score, normalScore);
    EXPECT_EQ(reloaded.hardEntries()[0].score, hardScore);

    record::reset();
    menuScreens->drawHighScores();
    std::vector<record::TextRun> runs = record::textRuns();
    ASSERT_GE(runs.size(), 3u);
    EXPECT_EQ(runs[runs.size() - 3].text, "<-   Hard   ->");
    EXPECT_EQ(runs[runs.size() - 2].text, "1  -> " + std::to_string(hardScore) + " , Hh");
}

}  // namespace
