#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <random>

#include "ScratchFolder.h"

namespace {

using Bytes = std::string;
constexpr std::size_t RECORD = sizeof(HighScoreEntry);
constexpr std::size_t TABLE = 2 * HIGH_SCORES_PER_MODE * RECORD;

Bytes record(const char* name, uint32_t score)
{
    Bytes bytes(RECORD, '\0');
    std::memcpy(bytes.data(), name, std::min(std::strlen(name), std::size_t(HIGH_SCORE_NAME_SIZE)));
    for (int i = 0; i < 4; ++i)
        bytes[24 + i] = static_cast<char>(score >> (8 * i));
    return bytes;
}

// A half of ten records from (name, score) pairs, padded with empty records.
Bytes half(std::initializer_list<std::pair<const char*, uint32_t>> entries)
{
    Bytes bytes;
    for (auto [name, score] : entries)
        bytes += record(name, score);
    return bytes + Bytes(TABLE / 2 - bytes.size(), '\0');
}

class HighScoreFile : public ScratchFolder {
protected:
    void SetUp() override
    {
        ScratchFolder::SetUp();
        std::filesystem::create_directory("scores");
        snakeGame->setMode(MODE_NORMAL);
    }
    static void store(const Bytes& bytes) { writeFile(HIGH_SCORE_FILE, bytes); }
    static Bytes stored() { return readFile(HIGH_SCORE_FILE); }
    // Nothing but the high-score file is left in its folder.
    static bool aloneInItsFolder()
    {
        return std::distance(std::filesystem::directory_iterator("scores"), std::filesystem::directory_iterator()) == 1;
    }
};

TEST_F(HighScoreFile, NewScoresGoBeforeTheFirstStrictlyLowerStoredScore)
{
    // Stored order is kept as it is, and an entry without a name still holds its rank.
    store(half({{"a", 900}, {"b", 500}, {"", 500}, {"d", 300}, {"e", 700}}));
    HighScoreTable table;
    table.insert("new", 500);
    table.insert("big", 3000000000u);  // compared as unsigned
    EXPECT_EQ(stored().substr(0, TABLE / 2),
              half({{"big", 3000000000u}, {"a", 900}, {"b", 500}, {"", 500}, {"new", 500}, {"d", 300}, {"e", 700}}));
    EXPECT_TRUE(aloneInItsFolder());
}

TEST_F(HighScoreFile, ScoresThatDoNotRankLeaveTheTableAndTheFileAlone)
{
    const Bytes full = half({{"a", 900}, {"b", 800}, {"c", 700}, {"d", 600}, {"e", 500}, {"f", 400}, {"g", 350},
                             {"h", 320}, {"i", 300}, {"j", 200}});
    store(full);
    HighScoreTable table;
    std::filesystem::remove(HIGH_SCORE_FILE);
    table.insert("zero", 0);
    table.insert("tie", 200);
    EXPECT_FALSE(std::filesystem::exists(HIGH_SCORE_FILE));
    table.insert("k", 201);
    EXPECT_EQ(stored(), full.substr(0, 9 * RECORD) + record("k", 201) + half({}));
}

TEST_F(HighScoreFile, LongNamesAreCutToTheirField)
{
    // A stored name filling all 24 bytes reads as its first 23 characters.
    Bytes full = record("ABCDEFGHIJKLMNOPQRSTUVWX", 5);
    store(full);
    HighScoreTable table;
    EXPECT_STREQ(table.normalEntries()[0].name, "ABCDEFGHIJKLMNOPQRSTUVW");
    table.insert("abcdefghijklmnopqrstuvwxyz0123", 9);
    EXPECT_EQ(stored().substr(0, 2 * RECORD), record("abcdefghijklmnopqrstuvw", 9) + record("ABCDEFGHIJKLMNOPQRSTUVW", 5));
}

TEST_F(HighScoreFile, AFileThatCannotBeWrittenKeepsTheEntryInMemoryOnly)
{
    std::filesystem::remove("scores");
    HighScoreTable noFolder;
    noFolder.insert("abc", 150);
    EXPECT_STREQ(noFolder.normalEntries()[0].name, "abc");
    EXPECT_FALSE(std::filesystem::exists("scores"));

    // A file the player made read-only is left alone, even when run as root; another keeps its mode.
    std::filesystem::create_directory("scores");
    const Bytes old = half({{"old", 7}}) + half({});
    for (mode_t mode : {0640, 0444}) {
        store(old);
        chmod(HIGH_SCORE_FILE, mode);
        HighScoreTable table;
        table.insert("abc", 150);
        EXPECT_STREQ(table.normalEntries()[0].name, "abc");
        EXPECT_EQ(stored(), mode == 0444 ? old : half({{"abc", 150}, {"old", 7}}) + half({}));
        struct stat info;
        ASSERT_EQ(stat(HIGH_SCORE_FILE, &info), 0);
        EXPECT_EQ(info.st_mode & 07777, mode);
        EXPECT_TRUE(aloneInItsFolder());
    }
}

TEST_F(HighScoreFile, AWriteThatFailsHalfwayLeavesTheOldFileWhole)
{
    Bytes old = half({{"old", 7}}) + half({});
    store(old);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A file-size limit below 560 bytes stands in for a full disk.
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{100, 100};
        setrlimit(RLIMIT_FSIZE, &limit);
        HighScoreTable table;
        table.insert("abc", 150);
        _exit(std::strcmp(table.normalEntries()[0].name, "abc") == 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(stored(), old);
    EXPECT_TRUE(aloneInItsFolder());
}

// The table a child holds after filing the scores 1 to top, each as "p<score>".
Bytes tableAfter(uint32_t top)
{
    Bytes bytes;
    for (uint32_t k = 0; k < HIGH_SCORES_PER_MODE; ++k)
        bytes += top > k ? record(("p" + std::to_string(top - k)).c_str(), top - k) : Bytes(RECORD, '\0');
    return bytes + Bytes(TABLE / 2, '\0');
}

TEST_F(HighScoreFile, KillingTheProgramDuringSavesNeverLeavesAPartialFile)
{
    std::mt19937 random(12345);
    // Enough kills and enough saves to matter, however busy the machine is, within a bound.
    constexpr int KILLS = 100;
    constexpr uint32_t SAVES = 30;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    uint32_t top = 0;
    int kills = 0;
    for (; (kills < KILLS || top < SAVES) && std::chrono::steady_clock::now() < deadline; ++kills) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            alarm(20);  // never outlive a parent that failed
            for (;;) {
                HighScoreTable table;
                uint32_t next = table.normalEntries()[0].score + 1;
                table.insert(("p" + std::to_string(next)).c_str(), next);
            }
        }
        usleep(std::uniform_int_distribution<useconds_t>(200, 5000)(random));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);

        if (!std::filesystem::exists(HIGH_SCORE_FILE))
            continue;  // killed before the first save
        Bytes bytes = stored();
        ASSERT_EQ(bytes.size(), TABLE) << "after kill " << kills;
        uint32_t now;
        std::memcpy(&now, bytes.data() + 24, 4);
        ASSERT_EQ(bytes, tableAfter(now)) << "after kill " << kills;
        ASSERT_GE(now, top);
        top = now;
    }
    EXPECT_GE(kills, KILLS);
    EXPECT_GE(top, SAVES) << "the children saved too rarely to test anything";
}

TEST_F(HighScoreFile, OnTheScreenTheSideArrowsToggleTheListAndEveryOtherKeyReturnsToTheMenu)
{
    for (int special : {GLUT_KEY_RIGHT, GLUT_KEY_LEFT, GLUT_KEY_UP, GLUT_KEY_DOWN, GLUT_KEY_F1, -1}) {
        snakeGame->setMode(MODE_NORMAL);
        appState->setScreen(SCREEN_HIGH_SCORES);
        menuScreens->onHighScoresKey('0', special, 0, 0);
        const bool arrow = special == GLUT_KEY_RIGHT || special == GLUT_KEY_LEFT;
        EXPECT_EQ(snakeGame->getMode(), arrow ? MODE_HARD : MODE_NORMAL) << special;
        EXPECT_EQ(appState->getScreen(), arrow ? SCREEN_HIGH_SCORES : SCREEN_MAIN_MENU) << special;
    }
}

}  // namespace
