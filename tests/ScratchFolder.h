#pragma once
// A fixture that runs each test in a folder of its own, with the four
// process-wide objects in place and a 1024 x 768 surface.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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
        record::reset();
        home = std::filesystem::current_path();
        char pattern[] = "/tmp/tarvik-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        std::filesystem::current_path(folder);
        // Created once per process and kept, as the program itself does.
        if (!appState)
            appState = new AppState(SCREEN_MAIN_MENU);
        appState->setWidth(1024);
        appState->setHeight(768);
        if (!menuScreens)
            menuScreens = new MenuScreens();
        if (!snakeGame)
            snakeGame = new SnakeGame();
        // A table loaded here, from a folder without a high-score file: empty.
        delete highScoreTable;
        highScoreTable = new HighScoreTable();
        record::reset();
    }
    void TearDown() override
    {
        std::filesystem::current_path(home);
        std::filesystem::remove_all(folder);
    }

    static void writeFile(const std::string& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string readFile(const std::string& path)
    {
        std::string bytes(std::filesystem::exists(path) ? std::filesystem::file_size(path) : 0, '\0');
        std::ifstream(path, std::ios::binary).read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return bytes;
    }

    std::filesystem::path home;
    std::filesystem::path folder;
};

// Compares the texts drawn last with the expected ones: position, text and font.
// Whatever came before them (the footer of the background) is not looked at.
inline void expectLastTextRuns(const std::vector<record::TextRun>& expected)
{
    std::vector<record::TextRun> runs = record::textRuns();
    ASSERT_GE(runs.size(), expected.size());
    runs.erase(runs.begin(), runs.end() - static_cast<long>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(runs[i].x, expected[i].x) << i;
        EXPECT_EQ(runs[i].y, expected[i].y) << i;
        EXPECT_EQ(runs[i].text, expected[i].text) << i;
        EXPECT_EQ(runs[i].font, expected[i].font) << i;
    }
}
