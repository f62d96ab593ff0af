#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "Golden.h"
#include "game/SnakeGame.h"
#include "shell/App.h"
#include "shell/AppState.h"
#include "support/Recorder.h"

namespace {

// The start-up runs against the stand-ins; glutMainLoop returns at once there.
TEST(StartUp, WindowModeCallsTheToolkitInOrderAndSwitchesOffOnlyEnabledCapabilities)
{
    record::reset();
    record::enabledCapabilities[0] = GL_FOG;
    record::enabledCapabilities[1] = GL_DEPTH_TEST;
    runApp();
    std::erase_if(record::calls, [](const Call& c) { return c.name == "showErrorBox"; });  // no pictures here
    expectGolden("start_up", listing(record::calls));
    ASSERT_TRUE(appState && menuScreens && snakeGame && highScoreTable);
    EXPECT_EQ(appState->getScreen(), SCREEN_MAIN_MENU);
    EXPECT_EQ(appState->tickRate, TICK_RATE_NORMAL);
}

TEST(StartUp, YesEntersTheGameModeWithoutPointerWhenPossible)
{
    record::reset();
    record::answerYes = true;
    record::gameModePossible = 1;
    runApp();
    EXPECT_EQ(record::only({"glutGameModeString", "glutGameModeGet", "glutEnterGameMode", "glutSetCursor",
                            "glutCreateWindow"}),
              (std::vector<Call>{{"glutGameModeString", {}, "1024x768:32"},
                                 {"glutGameModeGet", {GLUT_GAME_MODE_POSSIBLE}, ""},
                                 {"glutEnterGameMode", {}, ""}, {"glutSetCursor", {GLUT_CURSOR_NONE}, ""}}));
}

TEST(StartUp, DisplayModeDropsAccumulationThenDepthWhenNotOffered)
{
    record::reset();
    record::possibleModeMask = GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH;
    EXPECT_EQ(chooseDisplayMode(), 18u);
    record::possibleModeMask = GLUT_RGB | GLUT_DOUBLE;
    EXPECT_EQ(chooseDisplayMode(), 2u);
}

class Shell : public ::testing::Test {
protected:
    void SetUp() override
    {
        record::reset();
        initApp();
        record::calls.clear();
    }
};

TEST_F(Shell, ReshapeKeepsTheFixedSizeAndMapsOnePixelPerUnitDownwards)
{
    appState->setWidth(7);
    onReshape(800, 600);
    onReshape(1024, 767);
    EXPECT_EQ(appState->getWidth(), 7);
    onReshape(1024, 768);
    EXPECT_EQ(appState->getWidth(), 1024);
    EXPECT_EQ(appState->getHeight(), 768);
    expectGolden("reshape", listing(record::calls));
}

TEST_F(Shell, EachScreenIsDrawnAndTakesKeysThroughItsOwner)
{
    constexpr int NO_SCREEN = 99;  // gets a cleared empty frame and no keys
    // The key is one that each other screen's owner would answer differently.
    struct Case {
        int screen;
        const char* drawn;  // the title, or what the game draws first
        unsigned char key;
        int special;
        int after;
    };
    const Case cases[] = {
        {SCREEN_MAIN_MENU, "Main Menu", '4', ORDINARY_KEY, SCREEN_HELP},
        {SCREEN_GAME, "glColor3f 0.5 0.5 0.8", KEY_ESCAPE, ORDINARY_KEY, SCREEN_GAME_OVER},
        {SCREEN_GAME_OVER, "Game Over", 'a', ORDINARY_KEY, SCREEN_GAME_OVER},
        {SCREEN_HIGH_SCORES, "High Scores", 0, GLUT_KEY_RIGHT, SCREEN_HIGH_SCORES},
        {SCREEN_HELP, "Help", 0, GLUT_KEY_RIGHT, SCREEN_MAIN_MENU},
        {NO_SCREEN, "glutSwapBuffers", '1', ORDINARY_KEY, NO_SCREEN},
    };
    for (const Case& c : cases) {
        appState->setScreen(c.screen);
        record::calls.clear();
        onDisplay();
        std::string drawn = listing({record::calls[1]});
        for (const record::TextRun& run : record::textRuns())
            drawn = run.font == GLUT_BITMAP_TIMES_ROMAN_24 ? run.text + '\n' : drawn;
        EXPECT_EQ(drawn, c.drawn + std::string("\n")) << "screen " << c.screen;
        EXPECT_EQ(record::calls.back(), (Call{"glFlush", {}, ""}));
        EXPECT_EQ(record::calls.end()[-2], (Call{"glutSwapBuffers", {}, ""}));
        if (c.special == ORDINARY_KEY)
            onKeyboard(c.key, 0, 0);
        else
            onSpecialKey(c.special, 0, 0);
        EXPECT_EQ(appState->getScreen(), c.after) << "screen " << c.screen;
    }
    char* name = snakeGame->getPlayerName();
    EXPECT_STREQ(name, "a");
    std::free(name);
    EXPECT_EQ(snakeGame->getMode(), MODE_HARD);
    // The about screen's owner ends the program, with success, on any key.
    appState->setScreen(SCREEN_ABOUT);
    EXPECT_EXIT(onKeyboard('x', 0, 0), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(onSpecialKey(GLUT_KEY_DOWN, 0, 0), ::testing::ExitedWithCode(0), "");
}

TEST_F(Shell, TimerStepsOnlyTheGameAndRearmsWithTheTruncatedPeriod)
{
    appState->tickRate = TICK_RATE_HARD;
    for (int screen : {SCREEN_MAIN_MENU, SCREEN_GAME_OVER, SCREEN_HIGH_SCORES, SCREEN_HELP, SCREEN_ABOUT}) {
        appState->setScreen(screen);
        record::calls.clear();
        onTimer(1);
        EXPECT_EQ(record::calls, (std::vector<Call>{{"glutTimerFunc", {55, 1}, ""}})) << "screen " << screen;
    }

    appState->setScreen(SCREEN_GAME);
    appState->tickRate = TICK_RATE_NORMAL;
    record::calls.clear();
    onTimer(1);
    EXPECT_EQ(record::only({"glutPostRedisplay"}).size(), 1u);
    EXPECT_EQ(record::calls.back(), (Call{"glutTimerFunc", {125, 1}, ""}));
}

TEST_F(Shell, LoneModifierKeysNeverReachAScreen)
{
    appState->setScreen(SCREEN_HELP);
    for (int key = GLUT_KEY_SHIFT_L; key <= GLUT_KEY_SUPER_R; ++key)
        onSpecialKey(key, 0, 0);
    EXPECT_EQ(appState->getScreen(), SCREEN_HELP);
}

}  // namespace
