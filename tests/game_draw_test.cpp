#include <GL/freeglut.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "Golden.h"
#include "game_access.h"
#include "image/RgbImage.h"

namespace {

using Access = SnakeGameTestAccess;
constexpr int PAUSE_PICTURE = 15;

class GameDraw : public GameFixture {
protected:
    // Picture i of the load order is 10 + i pixels wide, so that the record
    // tells them apart; the game frees them.
    void SetUp() override
    {
        GameFixture::SetUp();
        for (RgbImage** field : Access::images(*game)) {
            auto* image = static_cast<RgbImage*>(std::malloc(sizeof(RgbImage)));
            *image = {10 + static_cast<int32_t>(images.size()), 20, static_cast<uint8_t*>(std::calloc(1, 1))};
            images.push_back(*field = image);
        }
        Access::setFood(*game, {}, FOOD_GREEN);
        pauseBlinkCounter = 0;
        pauseBlinkVisible = true;
    }
    std::string frame()
    {
        record::calls.clear();
        game->draw();
        return listing(record::calls);
    }
    bool pauseSignShown() const
    {
        return std::count(record::calls.begin(), record::calls.end(),
                          Call{"glDrawPixels", {10 + PAUSE_PICTURE, 20, GL_RGB, GL_UNSIGNED_BYTE}, ""}) == 1;
    }

    std::vector<RgbImage*> images;
};

// Whole frames in drawing order: banner, frame and pictures (title, labels,
// digits, pause sign, decoration), then the food, then the snake.
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
    expectGolden("game_draw", frames);

    for (auto [kind, colour] : {std::pair{FOOD_GREEN, "glColor3f 0 0.8 0\nglBegin 6\n"},
                                {FOOD_YELLOW, "glColor3f 1 1 0\nglBegin 6\n"}}) {
        Access::setFood(*game, {555, 404}, kind);
        EXPECT_NE(frame().find(colour), std::string::npos) << "food kind " << kind;
    }
}

TEST_F(GameDraw, PauseSignChangesEveryTickRateFramesAndKeepsItsPhaseAcrossGames)
{
    for (auto [mode, rate] : {std::pair{MODE_NORMAL, TICK_RATE_NORMAL}, {MODE_HARD, TICK_RATE_HARD}}) {
        pauseBlinkCounter = 0;
        pauseBlinkVisible = true;
        game->reset(mode);
        std::string shown;
        for (int paused : {0, 1}) {
            if (paused)
                game->onKey('p', ORDINARY_KEY, 0, 0);
            for (int frames = paused ? 2 * rate + 3 : 1; frames > 0; --frames) {
                frame();
                shown += pauseSignShown() ? '#' : '.';
            }
        }
        EXPECT_EQ(shown, "." + std::string(rate - 1, '#') + std::string(rate, '.') + "####") << "at " << rate;
        game->reset(mode);
        EXPECT_EQ(pauseBlinkCounter, 3);
        EXPECT_TRUE(pauseBlinkVisible);
    }
}

}  // namespace
