// The high-score screen as a stored file fills it: entries as stored
// (unsorted, an empty name keeping its rank, a name without its zero byte,
// bytes after a name's zero byte), a full Hard half, and files too long or
// too short, of which only whole records count. Its keys: the side arrows
// toggle the list, any other key returns to the menu.
#include <GL/freeglut.h>

#include "Golden.h"
#include "ScratchFolder.h"

namespace {

using namespace std::string_literals;

class HighScoreScreen : public ScratchFolder {};

TEST_F(HighScoreScreen, ShowsEachHalfOfTheFileAsStoredLeavesTheFileAloneAndTogglesWithTheSideArrows)
{
    std::string file;
    for (auto [name, score] : {std::pair{"Ann"s, 900}, {""s, 800}, {"Bob"s, 100}, {"Cyd"s, 300}, {"ABCDEFGHIJKLMNOPQRSTUVWX"s, 250},
                               {"Eve\0left over"s, 200}, {"a-b_c.d"s, 150}, {"   "s, 120}, {"Ivo"s, 7}, {"Jo"s, 7}})
        file += scoreRecord(name, uint32_t(score));
    for (uint32_t rank = 1; rank <= 10; ++rank)
        file += scoreRecord("Hard " + std::to_string(rank), 4000000000u / rank);
    file += std::string(40, '\xff');
    std::filesystem::create_directory("scores");
    std::string lists;
    for (size_t size : {file.size(), size_t{280 + 27}, size_t{2 * 28 + 27}}) {
        writeFile(HIGH_SCORE_FILE, file.substr(0, size));
        delete highScoreTable;
        highScoreTable = new HighScoreTable();
        for (int mode : {MODE_NORMAL, MODE_HARD}) {
            snakeGame->setMode(mode);
            record::reset();
            menuScreens->drawHighScores();
            lists += "# " + std::to_string(size) + " bytes, mode " + std::to_string(mode) + "\n" + textListing();
        }
        EXPECT_EQ(readFile(HIGH_SCORE_FILE), file.substr(0, size));
    }
    expectGolden("high_score_screen", lists);
    for (int special : {GLUT_KEY_RIGHT, GLUT_KEY_LEFT, GLUT_KEY_UP, GLUT_KEY_F1, -1}) {
        snakeGame->setMode(MODE_NORMAL);
        appState->setScreen(SCREEN_HIGH_SCORES);
        menuScreens->onHighScoresKey('0', special, 0, 0);
        const bool arrow = special == GLUT_KEY_RIGHT || special == GLUT_KEY_LEFT;
        EXPECT_EQ(snakeGame->getMode(), arrow ? MODE_HARD : MODE_NORMAL) << special;
        EXPECT_EQ(appState->getScreen(), arrow ? SCREEN_HIGH_SCORES : SCREEN_MAIN_MENU) << special;
    }
}

}  // namespace
