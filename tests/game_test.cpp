#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "game/Random.h"
#include "game/SnakeGame.h"
#include "game_access.h"
#include "shell/App.h"
#include "shell/AppState.h"
#include "support/Recorder.h"

namespace {

using Access = SnakeGameTestAccess;
using Snake = std::vector<GridPoint>;

GridPoint cell(int column, int row)
{
    return {GRID_ORIGIN_X + CELL_SIZE * column, GRID_ORIGIN_Y + CELL_SIZE * row};
}

// Every cell of the board, row by row, turning at each end: each cell is next
// to the one before it, so any stretch of it is a snake.
Snake wholeBoard()
{
    Snake path;
    for (int row = 0; row <= GRID_LAST_ROW; ++row)
        for (int i = 0; i <= GRID_LAST_COLUMN; ++i)
            path.push_back(cell(row % 2 == 0 ? i : GRID_LAST_COLUMN - i, row));
    return path;
}

class Game : public ::testing::Test {
protected:
    void SetUp() override
    {
        record::reset();
        savedAppState = appState;
        appState = &state;
        game.emplace();
        record::calls.clear();
    }
    void TearDown() override
    {
        game.reset();
        appState = savedAppState;
    }

    Snake snake() const { return {game->getSegments(), game->getSegments() + game->getSegmentCount()}; }
    GridPoint head() const { return game->getSegments()[game->getSegmentCount() - 1]; }
    void press(int special) { game->onKey('0', special, 0, 0); }
    void type(unsigned char key) { game->onKey(key, -1, 0, 0); }
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            game->tick();
    }
    // Leaves the food where the snake will not meet it.
    void foodAway() { Access::setFood(*game, {}, FOOD_GREEN); }
    bool over() const { return state.getScreen() == SCREEN_GAME_OVER; }

    AppState state{SCREEN_GAME};
    AppState* savedAppState = nullptr;
    std::optional<SnakeGame> game;
};

TEST(Random, FollowsItsFixedDefinitionFromTheSeed)
{
    for (int round = 0; round < 2; ++round) {
        seedRandom(1);
        EXPECT_EQ(nextRandom(), 41);
        EXPECT_EQ(nextRandom(), 18467);
        EXPECT_EQ(nextRandom(), 6334);
        EXPECT_EQ(nextRandom(), 26500);
        EXPECT_EQ(nextRandom(), 19169);
    }
}

TEST_F(Game, TheFirstGameOfARunSeedsFromTheClock)
{
    seedPending = true;
    std::time_t before = std::time(nullptr);
    game->reset(MODE_NORMAL);
    std::time_t after = std::time(nullptr);
    EXPECT_FALSE(seedPending);
    GridPoint fromClock = game->getFood();

    bool matched = false;
    for (std::time_t t = before; t <= after; ++t) {
        seedRandom(static_cast<uint32_t>(t));
        game->reset(MODE_NORMAL);
        matched = matched || game->getFood() == fromClock;
    }
    EXPECT_TRUE(matched);
}

TEST_F(Game, FoodDrawsTheKindThenXThenYAndALaterGameDoesNotReseed)
{
    EXPECT_FALSE(seedPending);
    seedRandom(1);  // draws 41, 18467, 6334: a yellow food at column 44, row 11
    game->reset(MODE_HARD);
    EXPECT_EQ(game->getFood(), cell(44, 11));
    EXPECT_EQ(game->getFoodKind(), FOOD_YELLOW);
}

TEST_F(Game, FoodKindFollowsTheFirstDrawModulo101)
{
    // Seeds whose first draw gives 25, 26, 75 and 76 modulo 101.
    struct Case {
        uint32_t seed;
        int32_t kind;
    };
    for (Case c : {Case{27, FOOD_GREEN}, Case{58, FOOD_YELLOW}, Case{73, FOOD_YELLOW}, Case{228, FOOD_RED}}) {
        seedRandom(c.seed);
        game->reset(MODE_NORMAL);
        EXPECT_EQ(game->getFoodKind(), c.kind) << "seed " << c.seed;
    }
}

TEST_F(Game, ResetStartsAFreshGameAndSetsTheTickRate)
{
    game->setPlayerName("Ana");
    Access::score(*game) = 77;
    Access::pendingGrowth(*game) = 5;
    press(GLUT_KEY_UP);
    type('p');

    game->reset(MODE_HARD);
    EXPECT_EQ(game->getMode(), MODE_HARD);
    EXPECT_EQ(state.tickRate, TICK_RATE_HARD);
    char* name = game->getPlayerName();
    EXPECT_STREQ(name, "");
    std::free(name);
    EXPECT_EQ(game->getScore(), 0u);
    EXPECT_FALSE(game->isPaused());
    EXPECT_EQ(Access::pendingGrowth(*game), 0);
    EXPECT_EQ(Access::turnQueue(*game), std::vector<Direction>(TURN_QUEUE_LENGTH, DIR_NONE));
    EXPECT_EQ(snake(), (Snake{{576, 425}, {555, 425}, {534, 425}, {513, 425}}));
    EXPECT_EQ(Access::heading(*game), HEADING_LEFT);

    game->reset(MODE_NORMAL);
    EXPECT_EQ(state.tickRate, TICK_RATE_NORMAL);
    game->reset(7);  // any mode but Normal plays at the Hard speed
    EXPECT_EQ(state.tickRate, TICK_RATE_HARD);

    game->setMode(MODE_NORMAL);
    EXPECT_EQ(game->getMode(), MODE_NORMAL);
    EXPECT_EQ(state.tickRate, TICK_RATE_HARD);
}

TEST_F(Game, FirstStepMovesLeftDroppingTheTail)
{
    foodAway();
    game->tick();
    EXPECT_EQ(snake(), (Snake{{555, 425}, {534, 425}, {513, 425}, {492, 425}}));
    EXPECT_EQ(Access::heading(*game), HEADING_LEFT);
    EXPECT_FALSE(over());
}

TEST_F(Game, ATurnAlongTheAxisIsTakenFromTheQueueAndIgnored)
{
    foodAway();
    press(GLUT_KEY_RIGHT);
    press(GLUT_KEY_UP);
    game->tick();
    EXPECT_EQ(head(), (GridPoint{492, 425}));
    game->tick();
    EXPECT_EQ(head(), (GridPoint{492, 404}));
    EXPECT_EQ(Access::heading(*game), HEADING_UP);
}

TEST_F(Game, TwoTurnsWithinOneStepAreTakenOnConsecutiveSteps)
{
    struct Case {
        int second;
        GridPoint headAfterTwo;
        Heading heading;
    };
    for (Case c : {Case{GLUT_KEY_LEFT, {492, 404}, HEADING_LEFT}, Case{GLUT_KEY_RIGHT, {534, 404}, HEADING_RIGHT}}) {
        game->reset(MODE_NORMAL);
        foodAway();
        press(GLUT_KEY_UP);
        press(c.second);
        game->tick();
        EXPECT_EQ(head(), (GridPoint{513, 404}));
        game->tick();
        EXPECT_EQ(head(), c.headAfterTwo);
        EXPECT_EQ(Access::heading(*game), c.heading);
        EXPECT_FALSE(over());
    }
}

TEST_F(Game, TheQueueHoldsEightTurnsAndDropsTheNinth)
{
    foodAway();
    for (int i = 0; i < 9; ++i)
        press(i % 2 == 0 ? GLUT_KEY_UP : GLUT_KEY_LEFT);
    ticks(8);
    EXPECT_EQ(head(), (GridPoint{513 - 4 * CELL_SIZE, 425 - 4 * CELL_SIZE}));
    game->tick();  // a ninth Up would have been taken here
    EXPECT_EQ(head(), (GridPoint{513 - 5 * CELL_SIZE, 425 - 4 * CELL_SIZE}));
}

TEST_F(Game, PauseStopsStepsAndArrowsOnlyWithLowerCaseP)
{
    foodAway();
    type('P');
    EXPECT_FALSE(game->isPaused());
    type('p');
    EXPECT_TRUE(game->isPaused());
    press(GLUT_KEY_UP);
    press(GLUT_KEY_DOWN);
    ticks(3);
    EXPECT_EQ(snake(), (Snake{{576, 425}, {555, 425}, {534, 425}, {513, 425}}));
    EXPECT_EQ(Access::turnQueue(*game), std::vector<Direction>(TURN_QUEUE_LENGTH, DIR_NONE));
    EXPECT_TRUE(record::named("glutPostRedisplay").empty());

    type('p');
    game->tick();
    EXPECT_EQ(head(), (GridPoint{492, 425}));
}

TEST_F(Game, EscapeEndsTheGameEvenWhilePaused)
{
    Access::score(*game) = 15;
    type('p');
    type(27);
    EXPECT_TRUE(over());
    EXPECT_EQ(record::only({"glutIgnoreKeyRepeat", "glutPostRedisplay"}),
              (std::vector<Call>{{"glutIgnoreKeyRepeat", {0}, ""}, {"glutPostRedisplay", {}, ""}}));
    EXPECT_EQ(game->getScore(), 15u);

    game->reset(MODE_NORMAL);
    state.setScreen(SCREEN_GAME);
    type(27);
    EXPECT_TRUE(over());
    EXPECT_EQ(game->getScore(), 0u);
}

TEST_F(Game, FoodEatenAddsToPendingGrowthWhichGrowsOneSegmentPerStep)
{
    Access::setFood(*game, {492, 425}, FOOD_RED);
    Access::pendingGrowth(*game) = 4;  // 3 left when the food is reached
    game->tick();
    EXPECT_EQ(Access::pendingGrowth(*game), 11);
    EXPECT_EQ(game->getScore(), 40u);
    EXPECT_EQ(game->getSegmentCount(), 5);
    EXPECT_EQ(game->getSegments()[0], (GridPoint{576, 425}));  // the tail stays while growing

    foodAway();
    ticks(11);
    EXPECT_EQ(game->getSegmentCount(), 16);
    EXPECT_EQ(game->getSegments()[0], (GridPoint{576, 425}));
    game->tick();
    EXPECT_EQ(game->getSegmentCount(), 16);
    EXPECT_EQ(game->getSegments()[0], (GridPoint{555, 425}));
    EXPECT_FALSE(over());
}

TEST_F(Game, AHeadOffTheGridHitsTheWall)
{
    struct Case {
        GridPoint lastInside;  // head after the first step
        GridPoint move;
        Heading heading;
    };
    const Case cases[] = {{cell(0, 15), {-CELL_SIZE, 0}, HEADING_LEFT},
                          {cell(GRID_LAST_COLUMN, 15), {CELL_SIZE, 0}, HEADING_RIGHT},
                          {cell(23, 0), {0, -CELL_SIZE}, HEADING_UP},
                          {cell(23, GRID_LAST_ROW), {0, CELL_SIZE}, HEADING_DOWN}};
    for (const Case& c : cases) {
        game->reset(MODE_NORMAL);
        state.setScreen(SCREEN_GAME);
        foodAway();
        Snake body;
        for (int i = 4; i >= 1; --i)
            body.push_back({c.lastInside.x - i * c.move.x, c.lastInside.y - i * c.move.y});
        Access::setSnake(*game, body, c.heading);
        game->tick();
        EXPECT_EQ(head(), c.lastInside);
        EXPECT_FALSE(over()) << "the frame's own lines are inside";
        game->tick();
        EXPECT_TRUE(over()) << "past " << c.lastInside.x << "," << c.lastInside.y;
    }
}

TEST_F(Game, EnteringTheTailsCellIsSafeOnlyWhileNotGrowing)
{
    // A 2 x 2 square: the head, below the tail, moves up into the tail's cell.
    const Snake square = {cell(10, 10), cell(11, 10), cell(11, 11), cell(10, 11)};
    for (int growth : {0, 1}) {
        game->reset(MODE_NORMAL);
        state.setScreen(SCREEN_GAME);
        foodAway();
        Access::setSnake(*game, square, HEADING_LEFT);
        Access::pendingGrowth(*game) = growth;
        press(GLUT_KEY_UP);
        game->tick();
        EXPECT_EQ(head(), cell(10, 10));
        EXPECT_EQ(over(), growth == 1);
    }
}

TEST_F(Game, FoodLandsOnAFreeCentreOfTheGrid)
{
    // The top half of the board is snake.
    const Snake board = wholeBoard();
    const Snake body(board.begin(), board.begin() + 15 * (GRID_LAST_COLUMN + 1));
    Access::setSnake(*game, body, HEADING_RIGHT);
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        seedRandom(seed);
        ASSERT_TRUE(Access::placeFood(*game));
        GridPoint food = game->getFood();
        EXPECT_EQ((food.x - GRID_ORIGIN_X) % CELL_SIZE, 0);
        EXPECT_EQ((food.y - GRID_ORIGIN_Y) % CELL_SIZE, 0);
        EXPECT_GE(food.x, GRID_ORIGIN_X);
        EXPECT_LE(food.x, cell(GRID_LAST_COLUMN, 0).x);
        EXPECT_GE(food.y, cell(0, 15).y);  // not in the snake's rows
        EXPECT_LE(food.y, cell(0, GRID_LAST_ROW).y);
    }
}

TEST_F(Game, AFullBoardEndsTheGameWithItsScore)
{
    // All cells but two are snake; the head is next to the food.
    const Snake board = wholeBoard();
    const size_t cells = board.size();
    Access::setSnake(*game, Snake(board.begin(), board.end() - 2), HEADING_RIGHT);
    Access::setFood(*game, board[cells - 2], FOOD_GREEN);
    Access::pendingGrowth(*game) = 1;
    Access::score(*game) = 100;

    game->tick();  // eats; the last free cell must take the food
    ASSERT_FALSE(over());
    EXPECT_EQ(game->getSegmentCount(), static_cast<int32_t>(cells - 1));
    EXPECT_EQ(game->getFood(), board[cells - 1]);
    EXPECT_EQ(game->getScore(), 105u);

    const uint32_t lastPoints[] = {5, 10, 40};
    const uint32_t expected = 105u + lastPoints[game->getFoodKind()];
    game->tick();  // eats the last food and fills the board
    EXPECT_TRUE(over());
    EXPECT_EQ(record::named("glutPostRedisplay").size(), 1u);
    EXPECT_EQ(game->getSegmentCount(), static_cast<int32_t>(cells));
    EXPECT_EQ(game->getScore(), expected);
}

TEST_F(Game, ASnakeThatCannotGrowEndsTheGameUntouched)
{
    // A snake on every cell cannot be given another segment.
    const Snake board = wholeBoard();
    Access::setSnake(*game, board, HEADING_RIGHT);
    Access::pendingGrowth(*game) = 2;
    press(GLUT_KEY_UP);
    game->tick();
    EXPECT_TRUE(over());
    EXPECT_EQ(snake(), board);
    EXPECT_EQ(Access::pendingGrowth(*game), 2);
    EXPECT_EQ(Access::heading(*game), HEADING_RIGHT);
    EXPECT_EQ(Access::turnQueue(*game)[0], DIR_UP);
}

TEST_F(Game, PlayerNameIsCutToTwentyCharactersAndReturnedAsACopy)
{
    Access::score(*game) = 1234;  // lies just past the name
    const std::string longName(100, 'x');
    game->setPlayerName(longName.c_str());
    char* name = game->getPlayerName();
    EXPECT_EQ(std::string(name), std::string(MAX_NAME_LENGTH, 'x'));
    name[0] = 'y';
    std::free(name);
    EXPECT_EQ(game->getScore(), 1234u);

    game->setPlayerName("Bo");
    name = game->getPlayerName();
    EXPECT_STREQ(name, "Bo");
    std::free(name);
}

}  // namespace
