#include <GL/freeglut.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "game_access.h"
#include "image/RgbImage.h"

namespace {

using Access = SnakeGameTestAccess;

std::vector<double> rgb(float r, float g, float b)
{
    return {r, g, b};
}

class GameDraw : public GameFixture {
protected:
    // Picture i of the load order is (10 + i) x 20 pixels; the game frees them.
    void SetUp() override
    {
        GameFixture::SetUp();
        for (RgbImage** field : Access::images(*game)) {
            auto* image = static_cast<RgbImage*>(std::malloc(sizeof(RgbImage)));
            *image = {10 + static_cast<int32_t>(images.size()), 20, static_cast<uint8_t*>(std::calloc(600, 3))};
            images.push_back(*field = image);
        }
        Access::setFood(*game, {}, FOOD_GREEN);
    }

    // The pictures drawn, as "index@x,y", in order; picture i is the one 10 + i pixels wide.
    static std::vector<std::string> pictures()
    {
        std::vector<std::string> drawn;
        for (size_t c = 1; c < record::calls.size(); ++c) {
            const std::vector<double>& at = record::calls[c - 1].args;
            if (record::calls[c].name == "glDrawPixels")
                drawn.push_back(std::to_string(int(record::calls[c].args[0]) - 10) + "@" + std::to_string(int(at[0])) +
                                "," + std::to_string(int(at[1])));
        }
        return drawn;
    }

    std::vector<RgbImage*> images;
};

TEST_F(GameDraw, BannerFrameAndPicturesFollowTheScoreAndTheMode)
{
    game->draw();
    const std::vector<Call> hud = {
        {"glColor3f", rgb(0.5f, 0.5f, 0.8f), ""}, {"glBegin", {GL_QUADS}, ""},     {"glVertex2i", {20, 20}, ""},
        {"glVertex2i", {1005, 20}, ""},           {"glVertex2i", {1005, 80}, ""},  {"glVertex2i", {20, 80}, ""},
        {"glEnd", {}, ""},                        {"glLineWidth", {5}, ""},        {"glColor3f", rgb(0.5f, 0, 0), ""},
        {"glBegin", {GL_LINE_LOOP}, ""},          {"glVertex2i", {20, 100}, ""},   {"glVertex2i", {1006, 100}, ""},
        {"glVertex2i", {1006, 750}, ""},          {"glVertex2i", {20, 750}, ""},   {"glEnd", {}, ""},
        {"glRasterPos2f", {0, 63}, ""}};
    EXPECT_EQ(std::vector<Call>(record::calls.begin(), record::calls.begin() + 16), hud);
    EXPECT_EQ(pictures(), (std::vector<std::string>{"0@0,63", "1@455,89", "2@570,75", "4@810,80", "14@21,750"}));

    // Another mode shows the Hard label; a missing digit leaves its gap.
    Access::score(*game) = 1234;
    game->setMode(7);
    *Access::images(*game)[6] = nullptr;
    record::calls.clear();
    game->draw();
    *Access::images(*game)[6] = images[6];
    EXPECT_EQ(pictures(), (std::vector<std::string>{"0@0,63", "1@455,89", "3@570,75", "5@810,80", "7@872,80",
                                                    "8@903,80", "14@21,750"}));
}

TEST_F(GameDraw, FoodIsAFanOfFifteenVerticesInItsKindsColour)
{
    game->draw();
    EXPECT_EQ(std::count(record::calls.begin(), record::calls.end(), Call{"glBegin", {GL_TRIANGLE_FAN}, ""}), 0)
        << "no food placed, no disc";
    const std::vector<double> colours[] = {rgb(0, 0.8f, 0), rgb(1, 1, 0), rgb(1, 0, 0)};
    for (int32_t kind : {0, 1, 2}) {
        Access::setFood(*game, {555, 404}, kind);
        record::calls.clear();
        game->draw();
        auto fan = std::find(record::calls.begin(), record::calls.end(), Call{"glBegin", {GL_TRIANGLE_FAN}, ""});
        ASSERT_LT(fan + 16, record::calls.end());
        EXPECT_EQ(fan[-1], (Call{"glColor3f", colours[kind], ""}));
        // The centre, then the rim from the right turning up the screen and back over its start.
        EXPECT_EQ(fan[1].args, (std::vector<double>{555, 404}));
        EXPECT_EQ(fan[2].args, (std::vector<double>{562, 404}));
        EXPECT_NEAR(fan[5].args[1], 397, 1e-4);
        EXPECT_NEAR(fan[14].args[0], 562, 1e-4);
        EXPECT_EQ(fan[15].args, (std::vector<double>{562, 404}));
        EXPECT_EQ(fan[16], (Call{"glEnd", {}, ""}));
    }
}

TEST_F(GameDraw, SnakeOctagonsAreStripedEveryThirdSegmentWithTheDiamondLast)
{
    Snake snake;
    for (int i = 0; i < 8; ++i)
        snake.push_back({576 - 21 * i, 425});
    Access::setSnake(*game, snake, HEADING_LEFT);
    game->draw();
    auto first = std::find(record::calls.begin(), record::calls.end(), Call{"glBegin", {GL_POLYGON}, ""}) - 1;
    const std::vector<Call> drawn(first, record::calls.end());
    ASSERT_EQ(drawn.size(), 11u * 8 + 7);  // colour, begin, 8 vertices and end per segment; the diamond
    const std::vector<double> head = rgb(0.8f, 0.3f, 0), body = rgb(0.5f, 0.8f, 0.5f), stripe = rgb(0.4f, 0.8f, 0.6f);
    const std::vector<double> expected[] = {head, body, body, stripe, body, body, stripe, head};
    for (size_t i = 0; i < 8; ++i)
        EXPECT_EQ(drawn[11 * i], (Call{"glColor3f", expected[i], ""})) << "segment " << i;
    EXPECT_EQ(std::vector<Call>(drawn.begin() + 2, drawn.begin() + 10),
              (std::vector<Call>{{"glVertex2f", {571, 415}, ""}, {"glVertex2f", {566, 420}, ""},
                                 {"glVertex2f", {566, 430}, ""}, {"glVertex2f", {571, 435}, ""},
                                 {"glVertex2f", {581, 435}, ""}, {"glVertex2f", {586, 430}, ""},
                                 {"glVertex2f", {586, 420}, ""}, {"glVertex2f", {581, 415}, ""}}));
    EXPECT_EQ(std::vector<Call>(drawn.end() - 7, drawn.end()),
              (std::vector<Call>{{"glColor3f", rgb(1, 1, 1), ""}, {"glBegin", {GL_POLYGON}, ""},
                                 {"glVertex2f", {429, 420}, ""}, {"glVertex2f", {424, 425}, ""},
                                 {"glVertex2f", {429, 430}, ""}, {"glVertex2f", {434, 425}, ""}, {"glEnd", {}, ""}}));
}

TEST_F(GameDraw, PauseSignBlinksEveryTickRateFramesAndKeepsItsPlaceAcrossGames)
{
    pauseBlinkCounter = 0;
    pauseBlinkVisible = true;
    std::string shown;
    for (int frame = 0; frame <= 23; ++frame) {
        if (frame == 1)
            game->onKey('p', -1, 0, 0);
        record::calls.clear();
        game->draw();
        auto drawn = pictures();
        shown += std::find(drawn.begin(), drawn.end(), "15@8,90") != drawn.end() ? '#' : '.';
    }
    EXPECT_EQ(shown, ".#######........########");  // frame 0 is drawn before the pause
    game->reset(MODE_NORMAL);
    EXPECT_EQ(pauseBlinkCounter, 7);
    EXPECT_TRUE(pauseBlinkVisible);
}

}  // namespace
