// Loads arbitrary bytes as the high-score file, checks that the table holds
// exactly the whole records of those bytes, and draws both lists.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "game/SnakeGame.h"
#include "highscores/HighScoreTable.h"
#include "screens/MenuScreens.h"
#include "shell/App.h"
#include "shell/AppState.h"
#include "support/Recorder.h"

namespace {

constexpr std::size_t RECORD = sizeof(HighScoreEntry);
constexpr int ENTRIES = 2 * HIGH_SCORES_PER_MODE;

std::string folder;

void removeFolder() { std::filesystem::remove_all(folder); }

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

void checkEntry(const HighScoreEntry& entry, const uint8_t* stored)
{
    check(std::memchr(entry.name, 0, HIGH_SCORE_NAME_SIZE) != nullptr);
    if (!stored) {
        check(entry.name[0] == '\0' && entry.score == 0);
        return;
    }
    std::size_t length = strnlen(reinterpret_cast<const char*>(stored), HIGH_SCORE_NAME_SIZE - 1);
    check(std::strlen(entry.name) == length && std::memcmp(entry.name, stored, length) == 0);
    uint32_t score = stored[24] | stored[25] << 8 | stored[26] << 16 | uint32_t(stored[27]) << 24;
    check(entry.score == score);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char pattern[] = "/tmp/highscores-fuzz-XXXXXX";
    if (!mkdtemp(pattern))
        std::abort();
    folder = pattern;
    std::atexit(removeFolder);
    std::filesystem::current_path(folder);
    std::filesystem::create_directory("scores");
    appState = new AppState(SCREEN_HIGH_SCORES);
    appState->setWidth(1024);
    appState->setHeight(768);
    menuScreens = new MenuScreens();
    snakeGame = new SnakeGame();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    FILE* file = std::fopen(HIGH_SCORE_FILE, "wb");
    if (!file)
        std::abort();
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    HighScoreTable table;
    std::size_t whole = std::min<std::size_t>(size / RECORD, ENTRIES);
    for (int i = 0; i < ENTRIES; ++i) {
        const HighScoreEntry& entry = i < HIGH_SCORES_PER_MODE ? table.normalEntries()[i]
                                                               : table.hardEntries()[i - HIGH_SCORES_PER_MODE];
        checkEntry(entry, std::size_t(i) < whole ? data + i * RECORD : nullptr);
    }

    highScoreTable = &table;
    for (int32_t mode : {MODE_NORMAL, MODE_HARD}) {
        snakeGame->setMode(mode);
        menuScreens->drawHighScores();
    }
    highScoreTable = nullptr;
    record::reset();
    return 0;
}
