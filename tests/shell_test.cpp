#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "Golden.h"
#include "game_access.h"
#include "highscores/HighScoreTable.h"
#include "screens/MenuScreens.h"
#include "shell/App.h"
#include "shell/AppState.h"
#include "shell/Presenter.h"
#include "platform/Desktop.h"

namespace {

// The start-up runs against the stand-ins, where glutMainLoop returns at once: the window, or the
// game mode when possible, and display modes without the accumulation, then the depth buffer; after
// these three whole runs, only how the surface is opened on other desktops.
TEST(StartUp, CallsTheToolkitInOrderAndSwitchesOffOnlyEnabledCapabilities)
{
    Desktop bare{3840, 1080, {{0, 0, 1920, 1080}, {1920, 0, 1920, 1080, true}}, false, false};
    Desktop two = bare, xwayland{1920, 1080, {{0, 0, 1920, 1080}}, true, true};
    two.windowManager = true;
    struct Run {
        std::string name;
        bool yes, possible;
        unsigned mask = ~0u;
        Desktop desktop = record::Knobs{}.desktop;
        bool modeChanges = true;
    };
    std::string runs;
    for (const Run& run : {Run{"no", false, false}, {"yes, game mode possible", true, true, GLUT_DOUBLE | GLUT_DEPTH},
                           {"yes, game mode not possible", true, false, GLUT_DOUBLE},
                           {"yes, the mode does not change", true, true, ~0u, record::Knobs{}.desktop, false},
                           {"yes, two monitors, the right one primary", true, true, ~0u, two},
                           {"yes, two monitors, no window manager", true, true, ~0u, bare},
                           {"yes, XWayland", true, true, ~0u, xwayland},
                           {"no, two monitors", false, true, ~0u, two}}) {
        delete appState; delete menuScreens; delete snakeGame; delete highScoreTable;  // each start-up makes them anew
        record::reset();
        record::knobs.enabledCapabilities = {GL_FOG, GL_DEPTH_TEST};
        record::knobs.answerYes = run.yes;
        record::knobs.gameModePossible = run.possible;
        record::knobs.possibleModeMask = run.mask;
        record::knobs.desktop = run.desktop;
        record::knobs.modeChanges = run.modeChanges;
        runApp();
        std::erase_if(record::calls, [](const Call& c) { return c.name == "showErrorBox"; });  // no pictures here
        auto from = std::ranges::find(record::calls, "askYesNo", &Call::name);
        auto to = std::ranges::find(record::calls, "surfaceMade", &Call::name) + 1;
        runs += "# " + run.name + "\n" + (runs.size() < 2000 ? listing() : listing({from, to})) + "screen " +
                std::to_string(appState->getScreen()) + ", rate " + std::to_string(appState->tickRate) + "\n";
    }
    expectGolden("start_up", runs);
}

// The monitor the game covers or opens on, and how it does.
TEST(StartUp, TheGameTakesThePrimaryMonitorAndSwitchesNoModeWhereThereAreSeveral)
{
    Monitor left{0, 0, 1920, 1080}, right{1920, 0, 1280, 1024};
    auto on = [](std::vector<Monitor> monitors, bool xwayland = false) {
        return Desktop{1280, 1024, std::move(monitors), xwayland, true};
    };
    EXPECT_EQ(gameMonitor(on({left, right})), left);
    right.primary = true;
    EXPECT_EQ(gameMonitor(on({left, right})), right);
    EXPECT_EQ(gameMonitor(on({})), (Monitor{0, 0, 1280, 1024}));  // no monitors told: the screen
    using Choice = std::tuple<bool, Desktop, SurfacePath>;
    for (auto [yes, desktop, path] : {Choice{false, on({left, right}), PATH_WINDOW},
                                      {true, on({left}), PATH_MODE_SWITCH},
                                      {true, on({}), PATH_MODE_SWITCH},
                                      {true, on({left, right}), PATH_DESKTOP_FULL_SCREEN},
                                      {true, on({left}, true), PATH_DESKTOP_FULL_SCREEN}})
        EXPECT_EQ(chooseSurfacePath(yes, desktop), path) << desktop.monitors.size() << " monitors";
}

// Where the surface goes in a window of each size, and which window is opened on each desktop: a work area
// kept to the screen, the frame the window manager tells or an allowance of 8, 8, 40, 8, 4:3 sizes in whole
// steps of 4 x 3, placed as near (150, 50) as the work area lets the frame be.
TEST(Fitting, TheSurfaceKeepsItsAspectCentredAndTheWindowAndItsFrameStayInsideTheWorkArea)
{
    using Fit = std::tuple<int, int, Rect>;
    for (auto [width, height, shown] : {Fit{1024, 768, {0, 0, 1024, 768}}, {640, 480, {0, 0, 640, 480}},
                                        {1280, 1024, {0, 32, 1280, 960}}, {640, 1024, {0, 272, 640, 480}},
                                        {960, 540, {120, 0, 720, 540}}, {803, 601, {1, 0, 801, 601}},
                                        {802, 603, {0, 0, 802, 602}}, {0, 0, {0, 0, 0, 0}}})
        EXPECT_EQ(fitSurface(width, height), shown) << width << " x " << height;
    // monitor; work area where published; frame where told: left, right, top, bottom
    using Place = std::tuple<Rect, DesktopArea, Rect>;
    for (auto [monitor, d, window] : {
             Place{{0, 0, 1280, 1024}, {}, {150, 50, 1024, 768}},                                       // bare server: allowance
             {{0, 0, 1280, 1024}, {true, 0, 0, 1280, 1024, true, 1, 1, 20, 5}, {150, 50, 1024, 768}},    // nothing changes
             {{0, 0, 1280, 1024}, {true, 0, 30, 1280, 970, true, 1, 1, 20, 5}, {150, 50, 1024, 768}},    // a top panel
             {{0, 0, 1280, 1024}, {true, 200, 0, 1080, 1024, true, 1, 1, 20, 5}, {200, 50, 1024, 768}},  // a dock on the left
             {{0, 0, 1100, 900}, {false, 0, 0, 0, 0, true, 1, 1, 20, 5}, {74, 50, 1024, 768}},          // moved, not scaled
             {{0, 0, 1366, 768}, {true, 0, 0, 1366, 768, true, 1, 1, 20, 5}, {150, 2, 988, 741}},
             {{0, 0, 1366, 768}, {}, {150, 0, 960, 720}},
             {{0, 0, 1024, 600}, {true, 0, 0, 1024, 600, true, 1, 1, 20, 5}, {150, 2, 764, 573}},
             {{0, 0, 1024, 600}, {true, -50, 0, 2000, 560, true, 1, 1, 20, 5}, {150, 1, 712, 534}},     // cut to the monitor
             {{0, 0, 1024, 600}, {true, 900, 700, 50, 50, true, 1, 1, 20, 5}, {150, 2, 764, 573}},      // off it: unused
             {{0, 0, 300, 200}, {false, 0, 0, 0, 0, true, 1, 1, 20, 5}, {0, 0, 320, 240}},             // too small even for this
             // a second monitor, right of the first, its panel at the bottom; one below, smaller
             {{1920, 0, 1920, 1080}, {true, 0, 0, 3840, 1040, true, 1, 1, 20, 5}, {2070, 50, 1024, 768}},
             {{0, 1080, 1024, 600}, {true, 0, 0, 1920, 1680, true, 1, 1, 20, 5}, {150, 1082, 764, 573}}})
        EXPECT_EQ(placeWindow(d, monitor), window) << monitor.x << ", " << monitor.y << " " << monitor.width << " x "
                                                   << monitor.height << " at " << d.workX << ", " << d.workY;
}

constexpr const char* PROJECTION = "glViewport 0 0 1024 768\nglMatrixMode 5889\nglLoadIdentity\ngluOrtho2D 0 1024 0 768\n"
                                   "glScalef 1 -1 1\nglTranslatef 0 -768 0\nglMatrixMode 5888\nglLoadIdentity\n";

struct Shell : ::testing::Test {
    void SetUp() override { record::reset(); initApp(); presenter = Presenter{}; record::calls.clear(); }
};

// At the surface's size a reshape sets up the one-pixel-a-unit projection and frames go straight to the
// window; at any other size the window is asked again and meanwhile frames go through a framebuffer of
// the surface's size, made once, drawn centred into the window; without framebuffers, as at first.
TEST_F(Shell, ReshapeShowsTheSurfaceStraightAtItsSizeScaledAtAnyOtherAndAsAskedWithoutFramebuffers)
{
    appState->setWidth(7);
    std::string log;
    auto step = [&](const std::string& what, auto action) {
        record::calls.clear();
        action();
        std::string calls = listing();
        if (auto at = calls.find(PROJECTION); at != std::string::npos && log.find(PROJECTION) != std::string::npos)
            calls.replace(at, std::strlen(PROJECTION), "(viewport and projection as above)\n");
        log += "# " + what + "\n" + calls;
    };
    auto frame = [&](const std::string& what, bool whole = false) {
        record::calls.clear();
        onDisplay();
        log += "# frame " + what + "\n" +
               listing(whole ? record::only({"glBindFramebuffer", "glClear", "glTexImage2D", "glViewport", "glUseProgram",
                                             "glTexCoord2i", "glVertex2i", "glBlitFramebuffer", "glutPostRedisplay",
                                             "glutSwapBuffers", "glFlush"})
                             : record::only({"glClear", "glTexImage2D", "glBlitFramebuffer", "glutPostRedisplay"}));
    };
    record::knobs.framebufferObjects = false;
    testing::internal::CaptureStderr();
    step("no framebuffers, 800 x 600", [] { onReshape(800, 600); });
    step("and 640 x 480", [] { onReshape(640, 480); });
    presenter = Presenter{};
    record::knobs.framebufferObjects = true;
    record::knobs.framebufferComplete = false;
    step("a framebuffer the driver cannot complete, 800 x 600", [] { onReshape(800, 600); });
    log += "stderr: " + testing::internal::GetCapturedStderr();
    log += "width " + std::to_string(appState->getWidth()) + "\n";
    presenter = Presenter{};
    record::knobs.framebufferComplete = true;
    step("1024 x 768", [] { onReshape(1024, 768); });
    frame("straight", true);
    step("800 x 600", [] { onReshape(800, 600); });
    frame("scaled", true);
    frame("scaled, the next");
    step("1280 x 768, only its width another", [] { onReshape(1280, 768); });
    frame("scaled");
    presenter.askFor(0, 0);
    step("960 x 540, asking for no size", [] { onReshape(960, 540); });
    step("1024 x 768 again", [] { onReshape(1024, 768); });
    frame("straight again", true);
    expectGolden("reshape", log);
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
