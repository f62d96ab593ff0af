#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>

#include "ScratchFolder.h"

namespace {

// A text run as "x,y font text", so that a mismatch reads plainly.
std::string run(int x, int y, void* font, const std::string& text)
{
    std::ostringstream line;
    line << x << ',' << y << ' ' << reinterpret_cast<std::uintptr_t>(font) << ' ' << text;
    return line.str();
}

std::vector<std::string> runs()
{
    std::vector<std::string> result;
    for (const auto& r : record::textRuns())
        result.push_back(run(r.x, r.y, r.font, r.text));
    return result;
}

void* const FOOTER_FONT = GLUT_BITMAP_HELVETICA_12;
void* const TITLE_FONT = GLUT_BITMAP_TIMES_ROMAN_24;
void* const BODY_FONT = GLUT_BITMAP_9_BY_15;

const Call WHITE = {"glColor3f", {1, 1, 1}, ""};
// Every screen these keys lead to ignores key repeat.
const std::vector<Call> SCREEN_CHANGE = {{"glutIgnoreKeyRepeat", {1}, ""}, {"glutPostRedisplay", {}, ""}};

// Each test runs in an empty folder of its own; without img/menu.dat the screens draw on black.
class MenuTest : public ScratchFolder {
protected:
    void SetUp() override
    {
        ScratchFolder::SetUp();
        appState->setScreen(SCREEN_MAIN_MENU);
        record::reset();
    }
};

TEST_F(MenuTest, EachScreenDrawsFooterTitleAndBodyInTheirFontsOnBlack)
{
    const std::string footer = run(804, 748, FOOTER_FONT, "Tarvik-Snake 1.0");
    struct Screen {
        void (MenuScreens::*draw)();
        std::vector<std::string> texts;
    };
    const Screen screens[] = {
        {&MenuScreens::drawMainMenu,
         {footer, run(432, 334, TITLE_FONT, "Main Menu"), run(402, 404, BODY_FONT, "1   - Play Snake (Normal)"),
          run(402, 424, BODY_FONT, "2   - Play Snake (Hard)"), run(402, 444, BODY_FONT, "3   - HighScores"),
          run(402, 464, BODY_FONT, "4   - Help"), run(402, 584, BODY_FONT, "Esc - Quit Game")}},
        {&MenuScreens::drawHelp,
         {footer, run(472, 334, TITLE_FONT, "Help"), run(402, 404, BODY_FONT, "Action:           Key:"),
          run(402, 434, BODY_FONT, "Up           -    up cursor"),
          run(402, 454, BODY_FONT, "Down         -    down cursor"),
          run(402, 474, BODY_FONT, "Left         -    left cursor"),
          run(402, 494, BODY_FONT, "Right        -    right cursor"),
          run(402, 514, BODY_FONT, "Pause Game   -    p"), run(402, 534, BODY_FONT, "Exit Game    -    Esc"),
          run(402, 584, BODY_FONT, "Any key - Main Menu")}},
        {&MenuScreens::drawAbout,
         {footer, run(472, 334, TITLE_FONT, "About"), run(402, 404, BODY_FONT, "Developed By:"),
          run(402, 424, BODY_FONT, "  The Tarvik-Snake team"), run(402, 454, BODY_FONT, "Special Thanks to:"),
          run(402, 474, BODY_FONT, "  Friends and Family"), run(432, 584, BODY_FONT, "Press Any Key")}},
    };
    for (const Screen& screen : screens) {
        record::reset();
        (menuScreens->*screen.draw)();
        EXPECT_EQ(runs(), screen.texts);
        // No picture: white is set before the footer and again before the title, and nothing else is drawn.
        EXPECT_EQ(record::only({"glColor3f", "glRasterPos2f", "glDrawPixels"}), (std::vector<Call>{WHITE, WHITE}));
        EXPECT_EQ(record::calls[0], WHITE);
    }
}

TEST_F(MenuTest, MainMenuKeysChangeTheScreenOrDoNothingAtAll)
{
    constexpr int UNCHANGED = 0;
    struct Case {
        unsigned char key;
        int special;
        int screen;
        int mode;  // the game's mode afterwards; it starts at 0, neither mode
    };
    const Case cases[] = {
        {27, -1, SCREEN_ABOUT, 0}, {'1', -1, SCREEN_GAME, MODE_NORMAL}, {'2', -1, SCREEN_GAME, MODE_HARD},
        {'3', -1, SCREEN_HIGH_SCORES, 0}, {'4', -1, SCREEN_HELP, 0},
        {'0', -1, UNCHANGED, 0}, {'5', -1, UNCHANGED, 0}, {'\r', -1, UNCHANGED, 0}, {'q', -1, UNCHANGED, 0},
        {0xe9, -1, UNCHANGED, 0}, {'0', GLUT_KEY_LEFT, UNCHANGED, 0}, {'0', GLUT_KEY_F1, UNCHANGED, 0},
        {'1', GLUT_KEY_F1, UNCHANGED, 0}, {27, GLUT_KEY_DOWN, UNCHANGED, 0},  // special keys go by special alone
    };
    for (const Case& c : cases) {
        appState->setScreen(SCREEN_MAIN_MENU);
        snakeGame->setMode(0);
        record::reset();
        menuScreens->onMainMenuKey(c.key, c.special, 5, 6);
        SCOPED_TRACE(std::to_string(c.key) + " " + std::to_string(c.special));
        EXPECT_EQ(snakeGame->getMode(), c.mode);
        if (c.screen == UNCHANGED) {
            EXPECT_EQ(appState->getScreen(), SCREEN_MAIN_MENU);
            EXPECT_TRUE(record::calls.empty());
        } else {
            EXPECT_EQ(appState->getScreen(), c.screen);
            EXPECT_EQ(record::only({"glutIgnoreKeyRepeat", "glutPostRedisplay"}), SCREEN_CHANGE);
        }
    }
}

TEST_F(MenuTest, AnyKeyOnHelpReturnsToTheMainMenu)
{
    for (auto [key, special] : {std::pair{'x', -1}, std::pair{'0', GLUT_KEY_UP}}) {
        appState->setScreen(SCREEN_HELP);
        record::reset();
        menuScreens->onHelpKey(static_cast<unsigned char>(key), special, 0, 0);
        EXPECT_EQ(appState->getScreen(), SCREEN_MAIN_MENU);
        EXPECT_EQ(record::calls, SCREEN_CHANGE);
    }
}

TEST_F(MenuTest, AnyKeyOnAboutEndsTheProgramWithStatusZero)
{
    EXPECT_EXIT(menuScreens->onAboutKey('q', -1, 0, 0), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(menuScreens->onAboutKey('0', GLUT_KEY_RIGHT, 0, 0), ::testing::ExitedWithCode(0), "");
}

TEST_F(MenuTest, ThePictureRisesFromTheBottomEdgeUnderTheFooter)
{
    // 2 x 1 pixels of 24 bits, rows padded to 4 bytes.
    const unsigned char bmp[] = {
        'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,                          // file header
        40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 8, 0, 0, 0,  // info header
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0, 0, 255, 255, 0, 0, 0, 0,  // red, blue (stored blue, green, red), padding
    };
    std::filesystem::create_directory("img");
    writeFile("img/menu.dat", std::string(std::begin(bmp), std::end(bmp)));
    static MenuScreens* withPicture = new MenuScreens();  // kept for the run, like the program's own

    record::reset();
    withPicture->drawAbout();
    auto calls = record::only({"glRasterPos2f", "glDrawPixels", "glColor3f", "glRasterPos2i"});
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls[0], (Call{"glRasterPos2f", {0, 768}, ""}));
    EXPECT_EQ(calls[1].name, "glDrawPixels");
    EXPECT_EQ(std::vector<double>(calls[1].args.begin(), calls[1].args.begin() + 4),
              (std::vector<double>{2, 1, GL_RGB, GL_UNSIGNED_BYTE}));
    EXPECT_NE(calls[1].args[4], 0);
    EXPECT_EQ(calls[2], WHITE);
    EXPECT_EQ(calls[3], (Call{"glRasterPos2i", {804, 748}, ""}));
    EXPECT_EQ(record::named("glDrawPixels").size(), 1u);
    EXPECT_EQ(runs().size(), 7u);
}

}  // namespace
