#pragma once
// A fixture that runs each test in a folder of its own, with the four
// process-wide objects in place and a 1024 x 768 surface.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "game/SnakeGame.h"
#include "highscores/HighScoreTable.h"
#include "screens/MenuScreens.h"
#include "shell/App.h"
#include "shell/AppState.h"
#include "support/Recorder.h"

class ScratchFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        home = std::filesystem::current_path();
        char pattern[] = "/tmp/tarvik-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        std::filesystem::current_path(folder);
        // Created once per process and kept, as the program itself does.
        if (!appState)
            appState = new AppState(SCREEN_MAIN_MENU), menuScreens = new MenuScreens(), snakeGame = new SnakeGame();
        appState->setWidth(1024), appState->setHeight(768);
        // Loaded from a folder without a high-score file: empty.
        delete highScoreTable;
        highScoreTable = new HighScoreTable();
        record::reset();
    }
    void TearDown() override { std::filesystem::current_path(home), std::filesystem::remove_all(folder); }
    static void writeFile(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
    static std::string readFile(const std::string& path)
    {
        std::ostringstream bytes;
        bytes << std::ifstream(path, std::ios::binary).rdbuf();
        return bytes.str();
    }

    std::filesystem::path home, folder;
};

// One stored high-score record: the name in 24 bytes, the score little-endian.
inline std::string scoreRecord(std::string name, uint32_t score)
{
    name.resize(HIGH_SCORE_NAME_SIZE, '\0');
    for (int i = 0; i < 4; ++i)
        name += static_cast<char>(score >> (8 * i));
    return name;
}
