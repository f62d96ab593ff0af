#include <GL/freeglut.h>

#include <cstdlib>
#include <string>
#include <tuple>

#include "game/Random.h"
#include "game_access.h"

namespace {

using Access = SnakeGameTestAccess;
const Snake START = {{576, 425}, {555, 425}, {534, 425}, {513, 425}};

GridPoint cell(int column, int row) { return {GRID_ORIGIN_X + CELL_SIZE * column, GRID_ORIGIN_Y + CELL_SIZE * row}; }

// Every cell, row by row, turning at each end: any stretch of it is a snake.
Snake wholeBoard()
{
    Snake path;
    for (int row = 0; row <= GRID_LAST_ROW; ++row)
        for (int i = 0; i <= GRID_LAST_COLUMN; ++i)
            path.push_back(cell(row % 2 == 0 ? i : GRID_LAST_COLUMN - i, row));
    return path;
}

class Game : public GameFixture {
protected:
    Snake snake() const { return {game->getSegments(), game->getSegments() + game->getSegmentCount()}; }
    GridPoint head() const { return game->getSegments()[game->getSegmentCount() - 1]; }
    void press(int special) { game->onKey('0', special, 0, 0); }
    void type(unsigned char key) { game->onKey(key, ORDINARY_KEY, 0, 0); }
    void ticks(int n)
    {
        while (n-- > 0)
            game->tick();
    }
    // A new game whose food the snake will not meet.
    void restart()
    {
        game->reset(MODE_NORMAL);
        state.setScreen(SCREEN_GAME);
        Access::setFood(*game, {}, FOOD_GREEN);
        record::calls.clear();
    }
    bool over() const { return state.getScreen() == SCREEN_GAME_OVER; }
};

TEST_F(Game, FoodIsDrawnKindThenColumnThenRowEachPlusOneBeforeTheRemainder)
{
    // The seeds' first values modulo 101 are 41, 25, 26, 75, 76 and 94; 73 and 914 draw a
    // column (and 914 a row) that is the last before adding 1.
    for (auto [seed, kind, column, row] : {std::tuple{1u, FOOD_YELLOW, 44, 11}, {27u, FOOD_GREEN, 7, 23},
                                           {58u, FOOD_YELLOW, 29, 12}, {73u, FOOD_YELLOW, 0, 2},
                                           {228u, FOOD_RED, 5, 7}, {914u, FOOD_RED, 0, 0}}) {
        seedRandom(seed);  // a game seeds from the clock once only, so this seed holds
        game->reset(MODE_NORMAL);
        EXPECT_EQ(game->getFoodKind(), kind) << "seed " << seed;
        EXPECT_EQ(game->getFood(), cell(column, row)) << "seed " << seed;
    }
}

TEST_F(Game, ResetStartsAFreshGameAndSetsTheTickRateButSetModeDoesNot)
{
    game->setPlayerName("Ana");
    Access::score(*game) = 77;
    press(GLUT_KEY_UP);
    type('p');
    game->reset(MODE_HARD);
    EXPECT_STREQ(Access::name(*game), "");
    EXPECT_EQ(game->getScore(), 0u);
    EXPECT_EQ(snake(), START);
    EXPECT_EQ(state.tickRate, TICK_RATE_HARD);
    game->tick();  // neither paused nor turning; a plain step moves every segment
    EXPECT_EQ(snake(), (Snake{{555, 425}, {534, 425}, {513, 425}, {492, 425}}));
    game->setMode(MODE_NORMAL);
    EXPECT_EQ(state.tickRate, TICK_RATE_HARD);
    game->reset(7);  // any mode but Normal is Hard
    EXPECT_EQ(state.tickRate, TICK_RATE_HARD);
    game->reset(MODE_NORMAL);
    EXPECT_EQ(state.tickRate, TICK_RATE_NORMAL);
}

TEST_F(Game, StepsFollowTheQueuedTurnsOnePerStep)
{
    // A turn along the axis is used up, so the one behind it comes next; a reversal is dropped.
    for (auto [first, second, expected] : {std::tuple{GLUT_KEY_RIGHT, GLUT_KEY_UP, GridPoint{492, 404}},
                                           {GLUT_KEY_UP, GLUT_KEY_LEFT, GridPoint{492, 404}},
                                           {GLUT_KEY_UP, GLUT_KEY_RIGHT, GridPoint{534, 404}},
                                           {GLUT_KEY_UP, GLUT_KEY_DOWN, GridPoint{513, 383}}}) {
        restart();
        press(first);
        press(second);
        ticks(2);
        EXPECT_EQ(head(), expected);
    }
    restart();
    for (int i = 0; i < 9; ++i)
        press(i % 2 == 0 ? GLUT_KEY_UP : GLUT_KEY_LEFT);
    ticks(9);
    EXPECT_EQ(head(), cell(23 - 5, 15 - 4)) << "the ninth Up was dropped";
    press(GLUT_KEY_DOWN);  // the queue, full before, takes turns again
    game->tick();
    EXPECT_EQ(head(), cell(23 - 5, 15 - 3));
}

TEST_F(Game, PauseHoldsTheSnakeAndDropsArrowsAndOnlyLowerCasePPauses)
{
    restart();
    type('P');
    game->tick();
    EXPECT_EQ(head(), cell(22, 15));
    type('p');
    press(GLUT_KEY_UP);
    game->tick();
    type('p');
    game->tick();
    EXPECT_EQ(head(), cell(21, 15));
    EXPECT_TRUE(record::calls.empty());
    type(KEY_ESCAPE);
    EXPECT_TRUE(over());
    EXPECT_EQ(record::only({"glutPostRedisplay"}).size(), 1u);
}

TEST_F(Game, EatingAddsToPendingGrowthAndTheTailWaitsWhileItLasts)
{
    for (auto [kind, growth, points] : {std::tuple{FOOD_GREEN, 1, 5u}, {FOOD_YELLOW, 2, 10u}, {FOOD_RED, 8, 40u}}) {
        restart();
        Access::setFood(*game, cell(22, 15), kind);
        Access::pendingGrowth(*game) = 4;  // 3 left when the food is reached
        game->tick();
        EXPECT_EQ(Access::pendingGrowth(*game), 3 + growth);
        EXPECT_EQ(game->getScore(), points);
        Access::setFood(*game, {}, FOOD_GREEN);
        ticks(3 + growth);
        EXPECT_EQ(snake().front(), START.front());
        game->tick();
        EXPECT_EQ(snake().size(), 8u + growth);
    }
}

TEST_F(Game, TheHeadHitsTheWallOnlyOffTheGridOrOnItselfButTheTailsCellIsFreeUnlessGrowing)
{
    const GridPoint move[] = {{0, -CELL_SIZE}, {0, CELL_SIZE}, {CELL_SIZE, 0}, {-CELL_SIZE, 0}};  // by Heading
    for (auto [lastInside, heading] : {std::pair{cell(0, 15), HEADING_LEFT}, {cell(46, 15), HEADING_RIGHT},
                                       {cell(23, 0), HEADING_UP}, {cell(23, 30), HEADING_DOWN}}) {
        restart();
        Snake body;
        for (int i = 4; i >= 1; --i)
            body.push_back({lastInside.x - i * move[heading].x, lastInside.y - i * move[heading].y});
        Access::setSnake(*game, body, heading);
        game->tick();
        EXPECT_FALSE(over());
        game->tick();
        EXPECT_TRUE(over()) << "past " << lastInside.x << "," << lastInside.y;
    }
    for (int growth : {0, 1}) {
        restart();  // a 2 x 2 square whose head, below the tail, moves up
        Access::setSnake(*game, {cell(10, 10), cell(11, 10), cell(11, 11), cell(10, 11)}, HEADING_LEFT);
        Access::pendingGrowth(*game) = growth;
        press(GLUT_KEY_UP);
        game->tick();
        EXPECT_EQ(over(), growth == 1);
    }
}

TEST_F(Game, AFullBoardEndsTheGameWithItsScoreAndASnakeThatCannotGrowUntouched)
{
    const Snake board = wholeBoard();
    // All but two cells are snake; the head is next to the food, which lands on the last free cell.
    Access::setSnake(*game, Snake(board.begin(), board.end() - 2), HEADING_RIGHT);
    Access::setFood(*game, board[board.size() - 2], FOOD_GREEN);
    Access::pendingGrowth(*game) = 1;
    game->tick();
    ASSERT_FALSE(over());
    EXPECT_EQ(game->getFood(), board.back());
    const uint32_t points[] = {5, 10, 40}, expected = 5 + points[game->getFoodKind()];
    game->tick();
    EXPECT_TRUE(over());
    EXPECT_EQ(record::only({"glutPostRedisplay"}).size(), 1u);
    EXPECT_EQ(game->getScore(), expected);

    restart();
    Access::setSnake(*game, board, HEADING_RIGHT);  // no room for another segment
    Access::pendingGrowth(*game) = 2;
    press(GLUT_KEY_UP);
    game->tick();
    EXPECT_TRUE(over());
    EXPECT_EQ(snake(), board);
    EXPECT_EQ(Access::pendingGrowth(*game), 2);
    EXPECT_EQ(Access::heading(*game), HEADING_RIGHT);
}

TEST_F(Game, PlayerNameIsCutToTwentyCharactersAndReturnedAsACopy)
{
    Access::score(*game) = 1234;  // lies just past the name
    game->setPlayerName(std::string(100, 'x').c_str());
    char* name = game->getPlayerName();
    EXPECT_EQ(std::string(name), std::string(MAX_NAME_LENGTH, 'x'));
    std::free(name);
    EXPECT_EQ(game->getScore(), 1234u);
}

}  // namespace
