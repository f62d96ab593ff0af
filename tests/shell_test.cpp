#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "Golden.h"
#include "game_access.h"
#include "highscores/HighScoreTable.h"
#include "screens/MenuScreens.h"
#include "shell/App.h"
#include "shell/AppState.h"

namespace {

// The start-up runs against the stand-ins, where glutMainLoop returns at once: the window, or the
// game mode when possible, or under XWayland a window in the compositor's full-screen state, which a
// reshape to the output's size leaves in that state; display modes without the accumulation, then
// the depth buffer.
TEST(StartUp, CallsTheToolkitInOrderAndSwitchesOffOnlyEnabledCapabilities)
{
    std::string runs;
    for (auto [yes, possible, mask, xwayland] : {std::tuple{false, false, ~0u, true}, {true, true, GLUT_DOUBLE | GLUT_DEPTH, false},
                                                 {true, true, ~0u, true}, {true, false, unsigned(GLUT_DOUBLE), false}}) {
        delete appState; delete menuScreens; delete snakeGame; delete highScoreTable;  // each start-up makes them anew
        record::reset();
        record::knobs.enabledCapabilities = {GL_FOG, GL_DEPTH_TEST};
        record::knobs.answerYes = yes;
        record::knobs.gameModePossible = possible;
        record::knobs.possibleModeMask = mask;
        record::knobs.xwayland = xwayland;
        runApp();
        onReshape(1920, 1080);
        std::erase_if(record::calls, [](const Call& c) { return c.name == "showErrorBox"; });  // no pictures here
        runs += "# " + std::string(yes ? "yes" : "no") + (possible ? ", game mode possible" : "") +
                (xwayland ? ", XWayland" : "") + "\n" + listing() +
                "screen " + std::to_string(appState->getScreen()) + ", rate " + std::to_string(appState->tickRate) + "\n";
    }
    expectGolden("start_up", runs);
}

struct Shell : ::testing::Test {
    void SetUp() override { record::reset(); initApp(); record::calls.clear(); }
};

TEST_F(Shell, ReshapeKeepsTheFixedSizeAndMapsOnePixelPerUnitDownwards)
{
    appState->setWidth(7);
    onReshape(800, 600);
    onReshape(1024, 767);
    const int widthBefore = appState->getWidth();
    onReshape(1024, 768);
    expectGolden("reshape", listing() + "width " + std::to_string(widthBefore) + ", then " +
                                std::to_string(appState->getWidth()) + " x " + std::to_string(appState->getHeight()) + "\n");
}

TEST_F(Shell, EachScreenIsDrawnAndTakesKeysThroughItsOwnerAndTheTimerStepsOnlyTheGame)
{
    // Each key is one that every other screen's owner would answer differently; 99 is no screen.
    // The timer steps the game only, and comes again after 1000 / 18 ms, cut to 55.
    appState->tickRate = TICK_RATE_HARD;
    appState->setScreen(SCREEN_HELP);  // which any key but a lone modifier or Num Lock leaves
    for (int key = GLUT_KEY_SHIFT_L; key <= GLUT_KEY_SUPER_R; ++key)
        onSpecialKey(key, 0, 0);
    onSpecialKey(GLUT_KEY_NUM_LOCK, 0, 0);
    std::string screens = "after the modifiers and Num Lock: screen " + std::to_string(appState->getScreen()) + "\n";
    using Case = std::tuple<int, unsigned char, int>;
    for (auto [screen, key, special] : {Case{SCREEN_MAIN_MENU, '4', ORDINARY_KEY}, {SCREEN_GAME, KEY_ESCAPE, ORDINARY_KEY},
                                        {SCREEN_GAME_OVER, 'a', ORDINARY_KEY}, {SCREEN_HIGH_SCORES, '0', GLUT_KEY_RIGHT},
                                        {SCREEN_HELP, '0', GLUT_KEY_RIGHT}, {99, '1', ORDINARY_KEY}}) {
        appState->setScreen(screen);
        record::calls.clear();
        onDisplay();
        // How the frame begins and ends, and its title, or for the game what it draws first.
        std::string title = "first " + listing({record::calls[1]});
        for (const record::TextRun& run : record::textRuns())
            title = run.font == GLUT_BITMAP_TIMES_ROMAN_24 ? "title " + run.text + "\n" : title;
        screens += "# screen " + std::to_string(screen) + "\n" +
                   listing(record::only({"glClear", "glutSwapBuffers", "glFlush"})) + title;
        record::calls.clear();
        onTimer(1);
        screens += "timer: " + listing();
        special == ORDINARY_KEY ? onKeyboard(key, 0, 0) : onSpecialKey(special, 0, 0);
        screens += "then screen " + std::to_string(appState->getScreen()) + "\n";
    }
    expectGolden("screens", screens);
    EXPECT_STREQ(SnakeGameTestAccess::name(*snakeGame), "a");
    EXPECT_EQ(snakeGame->getMode(), MODE_HARD);
    // The about screen's owner ends the program, with success, on any key.
    appState->setScreen(SCREEN_ABOUT);
    EXPECT_EXIT(onKeyboard('x', 0, 0), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(onSpecialKey(GLUT_KEY_DOWN, 0, 0), ::testing::ExitedWithCode(0), "");
}

}  // namespace
