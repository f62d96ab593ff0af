#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include "game/SnakeGame.h"
#include "shell/App.h"
#include "shell/AppState.h"
#include "support/Recorder.h"

namespace {

std::vector<std::string> names(const std::vector<Call>& calls)
{
    std::vector<std::string> result;
    for (const Call& c : calls)
        result.push_back(c.name);
    return result;
}

// The start-up runs against the stand-ins; glutMainLoop returns at once there.
class StartUp : public ::testing::Test {
protected:
    void SetUp() override { record::reset(); }
};

TEST_F(StartUp, WindowModeOpensTheTitledWindowAndRegistersTheCallbacksInOrder)
{
    runApp();
    std::vector<std::string> expected = {
        "displayReachable", "glutInit", "glutInitDisplayMode", "glutGet", "glutInitWindowSize",
        "glutInitWindowPosition", "askYesNo", "glutCreateWindow", "glutDisplayFunc", "glutReshapeFunc",
        "glutKeyboardFunc", "glutSpecialFunc", "glutTimerFunc", "glutIgnoreKeyRepeat"};
    std::vector<std::string> got = names(record::calls);
    ASSERT_GE(got.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(got.begin(), got.begin() + static_cast<long>(expected.size())), expected);
    EXPECT_EQ(got.back(), "glutMainLoop");

    EXPECT_EQ(record::named("glutInit")[0].text, "tarvik-snake");  // only the program's name
    EXPECT_EQ(record::named("glutInitDisplayMode")[0].args[0], 22);
    EXPECT_EQ(record::named("glutInitWindowSize")[0].args, (std::vector<double>{1024, 768}));
    EXPECT_EQ(record::named("glutInitWindowPosition")[0].args, (std::vector<double>{150, 50}));
    EXPECT_EQ(record::named("askYesNo")[0].text,
              "Tarvik-Snake|Pretende jogar \"Tarvik-Snake\" em Full Screen ?");
    EXPECT_EQ(record::named("glutCreateWindow")[0].text, "Tarvik-Snake");
    EXPECT_EQ(record::named("glutTimerFunc")[0].args, (std::vector<double>{33, 1}));
    EXPECT_EQ(record::named("glutIgnoreKeyRepeat")[0].args[0], 1);
    EXPECT_TRUE(record::named("glutGameModeString").empty());
    EXPECT_TRUE(record::named("glutSetCursor").empty());

    // initApp: the four objects, then the fixed OpenGL state.
    ASSERT_NE(appState, nullptr);
    ASSERT_NE(menuScreens, nullptr);
    ASSERT_NE(snakeGame, nullptr);
    ASSERT_NE(highScoreTable, nullptr);
    EXPECT_EQ(appState->getScreen(), SCREEN_MAIN_MENU);
    EXPECT_EQ(appState->tickRate, TICK_RATE_NORMAL);
    EXPECT_EQ(record::named("glClearColor")[0].args, (std::vector<double>{0, 0, 0, 1}));
    EXPECT_EQ(record::named("glPixelStorei")[0].args, (std::vector<double>{GL_UNPACK_ALIGNMENT, 1}));
}

TEST_F(StartUp, CapabilitiesAreSwitchedOffOnlyWhenOnInTheStatedOrder)
{
    record::enabledCapabilities[0] = GL_FOG;
    record::enabledCapabilities[1] = GL_DEPTH_TEST;
    initApp();
    auto calls = record::only({"glIsEnabled", "glDisable"});
    std::vector<Call> expected = {{"glIsEnabled", {GL_DEPTH_TEST}, ""}, {"glDisable", {GL_DEPTH_TEST}, ""},
                                  {"glIsEnabled", {GL_LIGHTING}, ""},   {"glIsEnabled", {GL_FOG}, ""},
                                  {"glDisable", {GL_FOG}, ""}};
    EXPECT_EQ(calls, expected);
}

TEST_F(StartUp, YesEntersTheGameModeAndHidesThePointerWhenPossible)
{
    record::answerYes = true;
    record::gameModePossible = 1;
    runApp();
    EXPECT_EQ(record::named("glutGameModeString")[0].text, "1024x768:32");
    EXPECT_EQ(record::named("glutEnterGameMode").size(), 1u);
    EXPECT_EQ(record::named("glutSetCursor")[0].args[0], GLUT_CURSOR_NONE);
    EXPECT_TRUE(record::named("glutCreateWindow").empty());
}

TEST_F(StartUp, YesFallsBackToTheWindowWhenTheModeIsNotPossible)
{
    record::answerYes = true;
    record::gameModePossible = 0;
    runApp();
    EXPECT_EQ(record::named("glutGameModeString").size(), 1u);
    EXPECT_TRUE(record::named("glutEnterGameMode").empty());
    EXPECT_EQ(record::named("glutCreateWindow")[0].text, "Tarvik-Snake");
    EXPECT_TRUE(record::named("glutSetCursor").empty());
}

TEST_F(StartUp, DisplayModeDropsAccumulationThenDepthWhenNotOffered)
{
    record::possibleModeMask = GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH;
    EXPECT_EQ(chooseDisplayMode(), 18u);
    record::possibleModeMask = GLUT_RGB | GLUT_DOUBLE;
    EXPECT_EQ(chooseDisplayMode(), 2u);
    record::calls.clear();
    record::possibleModeMask = ~0u;
    EXPECT_EQ(chooseDisplayMode(), 22u);
    EXPECT_EQ(record::named("glutInitDisplayMode").size(), 1u);
}

TEST_F(StartUp, NoDisplayEndsWithAMessageBeforeAnyDialog)
{
    record::displayReachable = false;
    EXPECT_EXIT(runApp(), ::testing::ExitedWithCode(1), "cannot open the X display");
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

TEST_F(Shell, ReshapeToAnotherSizeOnlyAsksForTheFixedSize)
{
    appState->setWidth(7);
    onReshape(800, 600);
    EXPECT_EQ(record::calls, (std::vector<Call>{{"glutReshapeWindow", {1024, 768}, ""}}));
    EXPECT_EQ(appState->getWidth(), 7);
    record::calls.clear();
    onReshape(1024, 767);
    EXPECT_EQ(names(record::calls), (std::vector<std::string>{"glutReshapeWindow"}));
}

TEST_F(Shell, ReshapeToTheFixedSizeBuildsTheDownwardPixelProjection)
{
    onReshape(1024, 768);
    EXPECT_EQ(appState->getWidth(), 1024);
    EXPECT_EQ(appState->getHeight(), 768);
    std::vector<Call> expected = {
        {"glViewport", {0, 0, 1024, 768}, ""},     {"glMatrixMode", {GL_PROJECTION}, ""},
        {"glLoadIdentity", {}, ""},                {"gluOrtho2D", {0, 1024, 0, 768}, ""},
        {"glScalef", {1, -1, 1}, ""},              {"glTranslatef", {0, -768, 0}, ""},
        {"glMatrixMode", {GL_MODELVIEW}, ""},      {"glLoadIdentity", {}, ""},
        {"glutPostRedisplay", {}, ""}};
    EXPECT_EQ(record::calls, expected);
}

TEST_F(Shell, SetScreenTurnsKeyRepeatOnForNameEntryOnly)
{
    for (int s = SCREEN_MAIN_MENU; s <= SCREEN_ABOUT; ++s) {
        record::calls.clear();
        appState->setScreen(s);
        EXPECT_EQ(appState->getScreen(), s);
        EXPECT_EQ(record::calls, (std::vector<Call>{{"glutIgnoreKeyRepeat", {s == SCREEN_GAME_OVER ? 0.0 : 1.0}, ""}}));
    }
}

TEST_F(Shell, DisplayClearsDrawsAndSwaps)
{
    appState->setScreen(99);  // out of range: a cleared, empty frame
    record::calls.clear();
    onDisplay();
    std::vector<Call> expected = {{"glClear", {GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT}, ""},
                                  {"glutSwapBuffers", {}, ""},
                                  {"glFlush", {}, ""}};
    EXPECT_EQ(record::calls, expected);
}

TEST_F(Shell, TimerStepsOnlyTheGameAndRearmsWithTheTruncatedPeriod)
{
    appState->setScreen(SCREEN_MAIN_MENU);
    appState->tickRate = TICK_RATE_HARD;
    record::calls.clear();
    onTimer(1);
    EXPECT_EQ(record::calls, (std::vector<Call>{{"glutTimerFunc", {55, 1}, ""}}));

    appState->setScreen(SCREEN_GAME);
    appState->tickRate = TICK_RATE_NORMAL;
    record::calls.clear();
    onTimer(1);
    auto posted = record::named("glutPostRedisplay");
    EXPECT_EQ(posted.size(), 1u);
    EXPECT_EQ(record::named("glutTimerFunc").back().args, (std::vector<double>{125, 1}));
}

TEST_F(Shell, LoneModifierKeysNeverReachAScreen)
{
    appState->setScreen(SCREEN_HELP);
    for (int key = GLUT_KEY_SHIFT_L; key <= GLUT_KEY_SUPER_R; ++key)
        onSpecialKey(key, 0, 0);
    EXPECT_EQ(appState->getScreen(), SCREEN_HELP);
}

TEST_F(Shell, OutOfRangeScreenIgnoresKeys)
{
    appState->setScreen(0);
    record::calls.clear();
    onKeyboard('1', 0, 0);
    onSpecialKey(GLUT_KEY_LEFT, 0, 0);
    EXPECT_TRUE(record::calls.empty());
}

}  // namespace
