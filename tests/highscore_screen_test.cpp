// The high-score screen as a stored file fills it: entries as stored
// (unsorted, an empty name keeping its rank, a name without its zero byte,
// bytes after a name's zero byte), a full Hard half, and files too long or
// too short, of which only whole records count.
#include <GL/freeglut.h>

#include <filesystem>
#include <string>

#include "Golden.h"
#include "ScratchFolder.h"

namespace {

using namespace std::string_literals;

std::string entry(std::string name, uint32_t score)
{
    name.resize(HIGH_SCORE_NAME_SIZE, '\0');
    for (int i = 0; i < 4; ++i)
        name += static_cast<char>(score >> (8 * i));
    return name;
}

class HighScoreScreen : public ScratchFolder {};

TEST_F(HighScoreScreen, ShowsEachHalfOfTheFileAsStoredAndLeavesTheFileAlone)
{
    std::string file = entry("Ann", 900) + entry("", 800) + entry("Bob", 100) + entry("Cyd", 300) +
                       entry("ABCDEFGHIJKLMNOPQRSTUVWX", 250) + entry("Eve\0left over"s, 200) + entry("a-b_c.d", 150) +
                       entry("   ", 120) + entry("Ivo", 7) + entry("Jo", 7);
    for (uint32_t rank = 1; rank <= 10; ++rank)
        file += entry("Hard " + std::to_string(rank), 4000000000u / rank);
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
}

}  // namespace
