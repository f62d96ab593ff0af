// Loads arbitrary bytes as the high-score file, checks the table it makes of them, and draws both lists.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

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
    // The file's whole records as stored, a name that fills its field cut to 23 characters, then empty entries.
    unsigned char expected[2 * HIGH_SCORES_PER_MODE * sizeof(HighScoreEntry)] = {};
    std::memcpy(expected, data, std::min(size - size % sizeof(HighScoreEntry), sizeof expected));
    for (std::size_t at = 0; at < sizeof expected; at += sizeof(HighScoreEntry))
        if (!std::memchr(expected + at, 0, HIGH_SCORE_NAME_SIZE))
            expected[at + HIGH_SCORE_NAME_SIZE - 1] = 0;
    if (std::memcmp(table.normalEntries(), expected, sizeof expected) != 0)
        __builtin_trap();
    highScoreTable = &table;
    for (int32_t mode : {MODE_NORMAL, MODE_HARD})
        snakeGame->setMode(mode), menuScreens->drawHighScores();
    highScoreTable = nullptr;
    record::reset();
    return 0;
}
