#include <GL/freeglut.h>
#include <gtest/gtest.h>

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
    const std::vector<Call> expected = {
        {"displayReachable", {}, ""}, {"glutInit", {1}, "tarvik-snake"}, {"glutInitDisplayMode", {22}, ""},
        {"glutGet", {GLUT_DISPLAY_MODE_POSSIBLE}, ""}, {"glutInitWindowSize", {1024, 768}, ""},
        {"glutInitWindowPosition", {150, 50}, ""},
        {"askYesNo", {}, "Tarvik-Snake|Pretende jogar \"Tarvik-Snake\" em Full Screen ?"},
        {"glutCreateWindow", {}, "Tarvik-Snake"}, {"glutDisplayFunc", {}, ""}, {"glutReshapeFunc", {}, ""},
        {"glutKeyboardFunc", {}, ""}, {"glutSpecialFunc", {}, ""}, {"glutTimerFunc", {33, 1}, ""},
        {"glutIgnoreKeyRepeat", {1}, ""}, {"glClearColor", {0, 0, 0, 1}, ""},
        {"glIsEnabled", {GL_DEPTH_TEST}, ""}, {"glDisable", {GL_DEPTH_TEST}, ""}, {"glIsEnabled", {GL_LIGHTING}, ""},
        {"glIsEnabled", {GL_FOG}, ""}, {"glDisable", {GL_FOG}, ""}, {"glPixelStorei", {GL_UNPACK_ALIGNMENT, 1}, ""},
        {"glutMainLoop", {}, ""}};
    EXPECT_EQ(record::calls, expected);
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
    const std::vector<Call> expected = {
        {"glutReshapeWindow", {1024, 768}, ""}, {"glutReshapeWindow", {1024, 768}, ""},
        {"glViewport", {0, 0, 1024, 768}, ""},  {"glMatrixMode", {GL_PROJECTION}, ""},
        {"glLoadIdentity", {}, ""},             {"gluOrtho2D", {0, 1024, 0, 768}, ""},
        {"glScalef", {1, -1, 1}, ""},           {"glTranslatef", {0, -768, 0}, ""},
        {"glMatrixMode", {GL_MODELVIEW}, ""},   {"glLoadIdentity", {}, ""},
        {"glutPostRedisplay", {}, ""}};
    EXPECT_EQ(record::calls, expected);
}

TEST_F(Shell, AScreenOutOfRangeGetsAClearedEmptyFrameAndNoKeys)
{
    appState->setScreen(99);
    record::calls.clear();
    onDisplay();
    onKeyboard('1', 0, 0);
    onSpecialKey(GLUT_KEY_LEFT, 0, 0);
    EXPECT_EQ(record::calls, (std::vector<Call>{{"glClear", {GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT}, ""},
                                                {"glutSwapBuffers", {}, ""}, {"glFlush", {}, ""}}));
}

TEST_F(Shell, TimerStepsOnlyTheGameAndRearmsWithTheTruncatedPeriod)
{
    appState->tickRate = TICK_RATE_HARD;
    onTimer(1);
    EXPECT_EQ(record::calls, (std::vector<Call>{{"glutTimerFunc", {55, 1}, ""}}));

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
