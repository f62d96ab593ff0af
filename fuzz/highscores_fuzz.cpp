// Loads arbitrary bytes as the high-score file, checks that the table holds
// exactly the whole records of those bytes, and draws both lists.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "game/SnakeGame.h"
#include "highscores/HighScoreTable.h"
#include "screens/MenuScreens.h"
#include "shell/App.h"
#include "shell/AppState.h"
#include "support/Recorder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static char folder[] = "/tmp/highscores-fuzz-XXXXXX";
    if (!appState) {
        if (!mkdtemp(folder))
            std::abort();
        std::atexit([] { std::filesystem::remove_all(folder); });
        std::filesystem::current_path(folder);
        std::filesystem::create_directory("scores");
        appState = new AppState(SCREEN_HIGH_SCORES), menuScreens = new MenuScreens(), snakeGame = new SnakeGame();
        appState->setWidth(1024), appState->setHeight(768);
    }
    std::ofstream(HIGH_SCORE_FILE, std::ios::binary).write(reinterpret_cast<const char*>(data), std::streamsize(size));
    HighScoreTable table;
    // Entry i is record i where the file holds it whole, else empty; a stored name
    // keeps at most 23 characters, up to its first zero byte.
    constexpr std::size_t RECORD = sizeof(HighScoreEntry), HALF = HIGH_SCORES_PER_MODE;
    for (std::size_t i = 0; i < 2 * HALF; ++i) {
        const HighScoreEntry& entry = (i < HALF ? table.normalEntries() : table.hardEntries())[i % HALF];
        const uint8_t* stored = (i + 1) * RECORD <= size ? data + i * RECORD : nullptr;
        std::string_view name = stored ? std::string_view(reinterpret_cast<const char*>(stored), HIGH_SCORE_NAME_SIZE - 1) : "";
        uint32_t score = stored ? stored[24] | stored[25] << 8 | stored[26] << 16 | uint32_t(stored[27]) << 24 : 0;
        if (std::string_view(entry.name, strnlen(entry.name, HIGH_SCORE_NAME_SIZE)) != name.substr(0, name.find('\0')) ||
            entry.score != score)
            __builtin_trap();
    }
    highScoreTable = &table;
    for (int32_t mode : {MODE_NORMAL, MODE_HARD})
        snakeGame->setMode(mode), menuScreens->drawHighScores();
    highScoreTable = nullptr;
    record::reset();
    return 0;
}
