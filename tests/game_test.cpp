#include <GL/freeglut.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

#include "Golden.h"
#include "game/Random.h"
#include "game_access.h"
#include "image/RgbImage.h"
#include "shell/App.h"
#include "shell/AppState.h"

namespace {

using Access = SnakeGameTestAccess;

GridPoint cell(int column, int row) { return {GRID_ORIGIN_X + CELL_SIZE * column, GRID_ORIGIN_Y + CELL_SIZE * row}; }


// A fresh game on the game screen whose picture i of the load order is 10 + i pixels wide, so that
// a frame tells them apart. It plays scenarios and writes down, in cells, what the game does.
class Game : public ::testing::Test {
protected:
    void SetUp() override
    {
        record::reset(), appState = &state, state.setWidth(1024);
        game.emplace();
        int width = 10;
        for (RgbImage** field : Access::images(*game)) {
            *field = static_cast<RgbImage*>(std::malloc(sizeof(RgbImage)));
            **field = {width++, 20, static_cast<uint8_t*>(std::calloc(1, 1))};
        }
        Access::setFood(*game, {}, FOOD_GREEN);
        record::calls.clear();
    }
    void TearDown() override { game.reset(); appState = saved; }
    std::string frame() { record::calls.clear(); game->draw(); return listing(); }
    AppState* saved = appState;
    AppState state{SCREEN_GAME};
    std::optional<SnakeGame> game;
    std::ostringstream trace;
    static std::string at(GridPoint p)
    {
        return std::to_string((p.x - GRID_ORIGIN_X) / CELL_SIZE) + ',' + std::to_string((p.y - GRID_ORIGIN_Y) / CELL_SIZE);
    }
    // A new game whose food the snake will not meet, unless the scenario places one.
    void scenario(const std::string& title, int32_t mode = MODE_NORMAL)
    {
        seedRandom(7);  // a game seeds from the clock once only, so this seed holds
        game->reset(mode);
        state.setScreen(SCREEN_GAME);
        Access::setFood(*game, {}, FOOD_GREEN);
        record::calls.clear();
        trace << "# " << title << '\n';
    }
    // Arrows (^ v < >) and typed keys; a step (',') or a step noted ('.'), or only a note ('='): the
    // snake, tail first (its ends when long), heading, growth to come, score, food, toolkit calls.
    void play(const std::string& keys)
    {
        const int arrows[] = {GLUT_KEY_UP, GLUT_KEY_DOWN, GLUT_KEY_LEFT, GLUT_KEY_RIGHT};
        for (char key : keys) {
            if (size_t arrow = std::string("^v<>").find(key); arrow != std::string::npos)
                game->onKey('0', arrows[arrow], 0, 0);
            else if (key == '.' || key == ',')
                game->tick();
            else if (key != '=')
                game->onKey(static_cast<unsigned char>(key), ORDINARY_KEY, 0, 0);
            if (key != '.' && key != '=')
                continue;
            const int n = game->getSegmentCount();
            for (int i = 0; i < n; ++i)
                if (n <= 8 || i == 0 || i == n - 1)
                    trace << at(game->getSegments()[i]) << (n > 8 && i == 0 ? " .. " : " ");
            trace << '(' << n << ") " << "^v><"[Access::heading(*game)] << " growth " << Access::pendingGrowth(*game)
                  << " score " << game->getScore();
            if (game->getFood() != GridPoint{})
                trace << " food " << game->getFoodKind() << " at " << at(game->getFood());
            trace << (state.getScreen() == SCREEN_GAME_OVER ? " OVER\n" : "\n") << listing();
            record::calls.clear();
        }
    }
};

TEST_F(Game, RulesAsTraced)
{
    // The seeds' first values modulo 101 are 41, 25, 26, 75, 76 and 94; 73 and 914 draw a column
    // (and 914 a row) that is the last before the +1 that comes before the remainder.
    for (uint32_t seed : {1u, 27u, 58u, 73u, 228u, 914u}) {
        seedRandom(seed);
        game->reset(MODE_NORMAL);
        trace << "seed " << seed << ": food " << game->getFoodKind() << " at " << at(game->getFood()) << '\n';
    }
    scenario("a new Hard game after a name, a score, a turn and a pause: every segment moves, straight on", MODE_HARD);
    game->setPlayerName("Ana");
    Access::score(*game) = 77;
    play("^p");
    game->reset(MODE_HARD);
    trace << "name \"" << Access::name(*game) << "\" tick rate " << state.tickRate << '\n';
    play("=.");
    game->reset(MODE_NORMAL), trace << "then a Normal game: tick rate " << state.tickRate << '\n';
    for (const char* turns : {">^", "^<", "^>", "^v"}) {
        scenario(std::string("two turns: ") + turns + "; one along the axis is used up, a reversal dropped");
        play(turns + std::string(".."));
    }
    scenario("nine turns, the ninth dropped; then the emptied queue takes one again");
    play("^<^<^<^<^.........v.");
    scenario("p pauses, P does not; arrows while paused are dropped; Escape ends the game");
    play("P.p^.p.\x1b=");
    for (int kind : {FOOD_GREEN, FOOD_YELLOW, FOOD_RED}) {
        scenario("eating food " + std::to_string(kind) + " with growth 4 to come: the tail waits while it lasts");
        Access::setFood(*game, cell(22, 15), kind), Access::pendingGrowth(*game) = 4, play(".");
        Access::setFood(*game, {}, FOOD_GREEN), play(std::string(4 + (kind == FOOD_RED ? 8 : kind + 1), '.'));
    }
    for (const std::string& keys : {std::string(22, ','), "^" + std::string(14, ','), "v" + std::string(14, ','),
                                    "^>" + std::string(23, ',')}) {
        scenario("a wall: the last cell, then off the grid");
        play(keys + "..");
    }
    for (int growth : {0, 1}) {
        scenario("up, right, then down into the tail's cell, with growth " + std::to_string(growth));
        play("^,>,"), Access::pendingGrowth(*game) = growth, play("v.");
    }
    Snake board;  // every cell, row by row, turning at each end: any stretch of it is a snake
    for (int row = 0; row <= GRID_LAST_ROW; ++row)
        for (int i = 0; i <= GRID_LAST_COLUMN; ++i)
            board.push_back(cell(row % 2 == 0 ? i : GRID_LAST_COLUMN - i, row));
    scenario("all but two cells are snake: the food lands on the last free one, and a full board ends the game");
    Access::setSnake(*game, Snake(board.begin(), board.end() - 2), HEADING_RIGHT);
    Access::setFood(*game, board[board.size() - 2], FOOD_GREEN), Access::pendingGrowth(*game) = 1, play("..");
    Access::score(*game) = 1234;  // lies just past the name
    game->setPlayerName(std::string(100, 'x').c_str());
    trace << "a name of 100 characters: \"" << Access::name(*game) << "\", score " << game->getScore() << '\n';
    scenario("a snake on every cell cannot grow: the game ends with the snake untouched");
    Access::setSnake(*game, board, HEADING_RIGHT), Access::pendingGrowth(*game) = 2, play("^.");
    expectGolden("game_rules", trace.str());
}

// Whole frames in drawing order: banner, frame and pictures (title, labels, digits, pause sign,
// decoration), then the food, then the snake; the pause sign changes every tickRate frames.
TEST_F(Game, FramesAsRecorded)
{
    std::string frames = "# a new Normal game before its food is placed\n" + frame();
    for (int mode : {MODE_NORMAL, MODE_HARD}) {
        pauseBlinkCounter = 0, pauseBlinkVisible = true, game->reset(mode);
        frames += "# the pause sign in mode " + std::to_string(mode) + ", one frame before the pause: ";
        for (int i = 0; i < 2 * state.tickRate + 4; ++i) {
            if (i == 1)
                game->onKey('p', ORDINARY_KEY, 0, 0);
            frames += frame().find("glDrawPixels 25 20") != std::string::npos ? '#' : '.';
        }
        game->reset(mode);  // keeps the phase
        frames += "\nthen a new game: " + std::to_string(pauseBlinkCounter) + (pauseBlinkVisible ? " shown\n" : " hidden\n");
    }

    Access::setFood(*game, {555, 404}, FOOD_RED), Access::pendingGrowth(*game) = 4, play(",,,,");
    Access::score(*game) = 1234;
    game->setMode(7);  // any mode but Normal shows the Hard label
    game->onKey('p', ORDINARY_KEY, 0, 0);
    RgbImage* two = std::exchange(*Access::images(*game)[6], nullptr);  // a missing digit leaves its gap
    frames += "# Hard, paused, 1234 without the picture of 2, a red food, eight segments\n" + frame();
    *Access::images(*game)[6] = two;
    for (int kind : {FOOD_GREEN, FOOD_YELLOW}) {
        Access::setFood(*game, {555, 404}, kind);
        frames += std::string("# the same with a ") + (kind == FOOD_GREEN ? "green" : "yellow") + " food\n" + frame();
    }
    expectGolden("game_draw", frames);
}

}  // namespace
