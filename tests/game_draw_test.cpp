#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "game/SnakeGame.h"
#include "game_access.h"
#include "image/RgbImage.h"
#include "shell/App.h"
#include "shell/AppState.h"
#include "support/Recorder.h"

namespace {

using Access = SnakeGameTestAccess;

// Picture i of the load order is (10 + i) x (20 + i) pixels; the game frees them.
RgbImage* testImage(int i)
{
    auto* image = static_cast<RgbImage*>(std::malloc(sizeof(RgbImage)));
    image->width = 10 + i;
    image->height = 20 + i;
    image->data = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(image->width * image->height * 3), 1));
    return image;
}

std::vector<double> colour(float r, float g, float b)
{
    return {r, g, b};
}

class GameDraw : public ::testing::Test {
protected:
    void SetUp() override
    {
        record::reset();
        savedAppState = appState;
        appState = &state;
        state.setWidth(1024);
        game.emplace();
        auto fields = Access::images(*game);
        for (size_t i = 0; i < fields.size(); ++i) {
            images[i] = testImage(static_cast<int>(i));
            *fields[i] = images[i];
        }
        record::calls.clear();
    }
    void TearDown() override
    {
        game.reset();
        appState = savedAppState;
    }

    // The pictures drawn, as "image index@x,y", in order.
    std::vector<std::string> pictures() const
    {
        std::vector<std::string> drawn;
        std::string at;
        for (const Call& c : record::calls) {
            if (c.name == "glRasterPos2f")
                at = std::to_string(int(c.args[0])) + "," + std::to_string(int(c.args[1]));
            if (c.name != "glDrawPixels")
                continue;
            for (size_t i = 0; i < images.size(); ++i) {
                const RgbImage* image = images[i];
                if (image && c.args == std::vector<double>{double(image->width), double(image->height), GL_RGB,
                                                  GL_UNSIGNED_BYTE, double(reinterpret_cast<uintptr_t>(image->data))})
                    drawn.push_back(std::to_string(i) + "@" + at);
            }
        }
        return drawn;
    }
    bool pauseSignDrawn() const
    {
        for (const std::string& p : pictures())
            if (p == "15@8,90")
                return true;
        return false;
    }

    AppState state{SCREEN_GAME};
    AppState* savedAppState = nullptr;
    std::optional<SnakeGame> game;
    std::array<RgbImage*, 16> images{};
};

TEST_F(GameDraw, BannerFrameAndPicturesOfAFreshGame)
{
    Access::setFood(*game, {}, FOOD_GREEN);
    game->draw();
    const std::vector<Call> frame(record::calls.begin(), record::calls.begin() + 15);
    const std::vector<Call> expected = {
        {"glColor3f", colour(0.5f, 0.5f, 0.8f), ""}, {"glBegin", {GL_QUADS}, ""},
        {"glVertex2i", {20, 20}, ""},                {"glVertex2i", {1005, 20}, ""},
        {"glVertex2i", {1005, 80}, ""},              {"glVertex2i", {20, 80}, ""},
        {"glEnd", {}, ""},                           {"glLineWidth", {5}, ""},
        {"glColor3f", colour(0.5f, 0.0f, 0.0f), ""}, {"glBegin", {GL_LINE_LOOP}, ""},
        {"glVertex2i", {20, 100}, ""},               {"glVertex2i", {1006, 100}, ""},
        {"glVertex2i", {1006, 750}, ""},             {"glVertex2i", {20, 750}, ""},
        {"glEnd", {}, ""}};
    EXPECT_EQ(frame, expected);
    // Title, score label, Normal label, the digit 0, the ring.
    EXPECT_EQ(pictures(), (std::vector<std::string>{"0@0,63", "1@455,89", "2@570,75", "4@810,80", "14@21,750"}));
    EXPECT_TRUE(record::named("glVertex2f").size() == 4 * 8 + 4) << "the snake only: no food";
}

TEST_F(GameDraw, ScoreDigitsGoMostSignificantFirstAndOtherModesShowHard)
{
    Access::score(*game) = 1234;
    game->setMode(7);
    state.setWidth(800);
    game->draw();
    EXPECT_EQ(pictures(), (std::vector<std::string>{"0@0,63", "1@455,89", "3@570,75", "5@810,80", "6@841,80",
                                                    "7@872,80", "8@903,80", "14@21,750"}));
    EXPECT_EQ(record::named("glVertex2i")[1].args, (std::vector<double>{781, 20}));

    // A missing picture leaves a gap; the others keep their places.
    std::free(images[6]->data);
    std::free(images[6]);
    images[6] = *Access::images(*game)[6] = nullptr;
    record::calls.clear();
    game->draw();
    EXPECT_EQ(pictures(), (std::vector<std::string>{"0@0,63", "1@455,89", "3@570,75", "5@810,80", "7@872,80",
                                                    "8@903,80", "14@21,750"}));
}

TEST_F(GameDraw, FoodIsAFanOfFifteenVerticesInItsKindsColour)
{
    const std::vector<double> colours[] = {colour(0.0f, 0.8f, 0.0f), colour(1.0f, 1.0f, 0.0f), colour(1.0f, 0.0f, 0.0f)};
    for (int32_t kind : {int32_t{FOOD_GREEN}, int32_t{FOOD_YELLOW}, int32_t{FOOD_RED}, int32_t{5}}) {
        record::calls.clear();
        Access::setFood(*game, {555, 404}, kind);
        game->draw();
        auto fan = std::find(record::calls.begin(), record::calls.end(), Call{"glBegin", {GL_TRIANGLE_FAN}, ""});
        ASSERT_NE(fan, record::calls.end());
        if (kind == 5) {
            EXPECT_NE(fan[-1].name, "glColor3f") << "an unknown kind keeps the colour";
        } else {
            EXPECT_EQ(fan[-1], (Call{"glColor3f", colours[kind], ""}));
        }
        std::vector<Call> vertices(fan + 1, std::find(fan, record::calls.end(), Call{"glEnd", {}, ""}));
        ASSERT_EQ(vertices.size(), 15u);
        EXPECT_EQ(vertices[0].args, (std::vector<double>{555, 404}));
        EXPECT_EQ(vertices[1].args, (std::vector<double>{562, 404}));
        EXPECT_NEAR(vertices[4].args[0], 555, 1e-4);  // a quarter turn: up, as y grows downwards
        EXPECT_NEAR(vertices[4].args[1], 397, 1e-4);
        EXPECT_NEAR(vertices[7].args[0], 548, 1e-4);
        EXPECT_NEAR(vertices[13].args[0], 562, 1e-4);  // just short of a full turn
        EXPECT_NEAR(vertices[13].args[1], 404, 1e-4);
        EXPECT_EQ(vertices[14].args, (std::vector<double>{562, 404}));
        for (const Call& v : vertices)
            EXPECT_EQ(v.name, "glVertex2f");
    }
}

TEST_F(GameDraw, SnakeOctagonsAreStripedEveryThirdBodySegmentAndTheDiamondComesLast)
{
    const std::string head = "HT", body = "B", stripe = "S";
    struct Case {
        int length;
        std::vector<std::string> colours;
    };
    const Case cases[] = {{4, {head, body, body, head}},
                          {7, {head, body, body, stripe, body, body, head}},
                          {8, {head, body, body, stripe, body, body, stripe, head}}};
    for (const Case& c : cases) {
        std::vector<GridPoint> snake;
        for (int i = 0; i < c.length; ++i)
            snake.push_back({576 - 21 * i, 425});
        Access::setSnake(*game, snake, HEADING_LEFT);
        Access::setFood(*game, {}, FOOD_GREEN);
        record::calls.clear();
        game->draw();

        auto polygonsStart = std::find(record::calls.begin(), record::calls.end(), Call{"glBegin", {GL_POLYGON}, ""});
        ASSERT_NE(polygonsStart, record::calls.begin());
        std::vector<Call> drawn(polygonsStart - 1, record::calls.end());
        std::vector<std::string> colours;
        for (const Call& call : drawn) {
            if (call.name != "glColor3f")
                continue;
            if (call.args == colour(0.8f, 0.3f, 0.0f))
                colours.push_back(head);
            else if (call.args == colour(0.4f, 0.8f, 0.6f))
                colours.push_back(stripe);
            else if (call.args == colour(0.5f, 0.8f, 0.5f))
                colours.push_back(body);
            else if (call.args == colour(1.0f, 1.0f, 1.0f))
                colours.push_back("diamond");
            else
                colours.push_back("?");
        }
        std::vector<std::string> expected = c.colours;
        expected.push_back("diamond");
        EXPECT_EQ(colours, expected) << c.length << " segments";

        // Each segment: colour, begin, 8 vertices, end; then the diamond: colour, begin, 4 vertices, end.
        ASSERT_EQ(drawn.size(), static_cast<size_t>(11 * c.length + 7));
        const std::vector<Call> tail(drawn.begin() + 2, drawn.begin() + 10);
        const std::vector<Call> octagon = {{"glVertex2f", {571, 415}, ""}, {"glVertex2f", {566, 420}, ""},
                                           {"glVertex2f", {566, 430}, ""}, {"glVertex2f", {571, 435}, ""},
                                           {"glVertex2f", {581, 435}, ""}, {"glVertex2f", {586, 430}, ""},
                                           {"glVertex2f", {586, 420}, ""}, {"glVertex2f", {581, 415}, ""}};
        EXPECT_EQ(tail, octagon);
        const double x = 576 - 21 * (c.length - 1);
        const std::vector<Call> diamond(drawn.end() - 5, drawn.end());
        EXPECT_EQ(diamond, (std::vector<Call>{{"glVertex2f", {x, 420}, ""},
                                              {"glVertex2f", {x - 5, 425}, ""},
                                              {"glVertex2f", {x, 430}, ""},
                                              {"glVertex2f", {x + 5, 425}, ""},
                                              {"glEnd", {}, ""}}));
    }
}

TEST_F(GameDraw, PauseSignBlinksEveryTickRateFramesAndRemembersWhereItWas)
{
    pauseBlinkCounter = 0;
    pauseBlinkVisible = true;
    game->draw();
    EXPECT_FALSE(pauseSignDrawn());
    EXPECT_EQ(pauseBlinkCounter, 0) << "no blink while playing";

    game->onKey('p', -1, 0, 0);
    std::string shown;
    for (int frame = 1; frame <= 23; ++frame) {
        record::calls.clear();
        game->draw();
        shown += pauseSignDrawn() ? '#' : '.';
    }
    EXPECT_EQ(shown, "#######........########");

    // A new game carries on from the same point of the blink.
    game->reset(MODE_NORMAL);
    EXPECT_EQ(pauseBlinkCounter, 7);
    EXPECT_TRUE(pauseBlinkVisible);
}

}  // namespace
