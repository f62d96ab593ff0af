#include <GL/freeglut.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "Golden.h"
#include "game_access.h"
#include "image/RgbImage.h"

namespace {

using Access = SnakeGameTestAccess;

class GameDraw : public GameFixture {
protected:
    // Picture i of the load order is 10 + i pixels wide, so that the record tells them apart; the
    // game frees them.
    void SetUp() override
    {
        GameFixture::SetUp();
        for (RgbImage** field : Access::images(*game)) {
            *field = static_cast<RgbImage*>(std::malloc(sizeof(RgbImage)));
            **field = {10 + int32_t(images.size()), 20, static_cast<uint8_t*>(std::calloc(1, 1))};
            images.push_back(*field);
        }
        Access::setFood(*game, {}, FOOD_GREEN);
        pauseBlinkCounter = 0;
        pauseBlinkVisible = true;
    }
    std::string frame()
    {
        record::calls.clear();
        game->draw();
        return listing();
    }
    std::vector<RgbImage*> images;
};

// Whole frames in drawing order: banner, frame and pictures (title, labels, digits, pause sign,
// decoration), then the food, then the snake.
TEST_F(GameDraw, FramesAsRecorded)
{
    std::string frames = "# a new Normal game before its food is placed\n" + frame();
    Snake snake;
    for (int i = 0; i < 8; ++i)
        snake.push_back({576 - 21 * i, 425});
    Access::setSnake(*game, snake, HEADING_LEFT);
    Access::setFood(*game, {555, 404}, FOOD_RED);
    Access::score(*game) = 1234;
    game->setMode(7);  // any mode but Normal shows the Hard label
    game->onKey('p', ORDINARY_KEY, 0, 0);
    *Access::images(*game)[6] = nullptr;  // a missing digit leaves its gap
    frames += "# Hard, paused, 1234 without the picture of 2, a red food, eight segments\n" + frame();
    *Access::images(*game)[6] = images[6];
    for (int kind : {FOOD_GREEN, FOOD_YELLOW}) {
        Access::setFood(*game, {555, 404}, kind);
        frames += std::string("# the same with a ") + (kind == FOOD_GREEN ? "green" : "yellow") + " food\n" + frame();
    }
    expectGolden("game_draw", frames);
}

TEST_F(GameDraw, PauseSignChangesEveryTickRateFramesAndKeepsItsPhaseAcrossGames)
{
    for (auto [mode, rate] : {std::pair{MODE_NORMAL, TICK_RATE_NORMAL}, {MODE_HARD, TICK_RATE_HARD}}) {
        pauseBlinkCounter = 0;
        pauseBlinkVisible = true;
        game->reset(mode);
        std::string shown;
        for (int frames = 2 * rate + 4; frames > 0; --frames) {
            if (frames == 2 * rate + 3)
                game->onKey('p', ORDINARY_KEY, 0, 0);
            shown += frame().find("glDrawPixels 25 20") != std::string::npos ? '#' : '.';
        }
        EXPECT_EQ(shown, "." + std::string(rate - 1, '#') + std::string(rate, '.') + "####") << "at " << rate;
        game->reset(mode);
        EXPECT_EQ(pauseBlinkCounter, 3);
        EXPECT_TRUE(pauseBlinkVisible);
    }
}

}  // namespace
