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

std::vector<uint32_t> scores(const HighScoreEntry* entries)
{
    std::vector<uint32_t> result;
    for (int i = 0; i < HIGH_SCORES_PER_MODE; ++i)
        result.push_back(entries[i].score);
    return result;
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
    static std::vector<std::string> folder()
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator("scores"))
            names.push_back(entry.path().filename());
        return names;
    }
};

TEST_F(HighScoreFile, FilingIntoNoFileWritesTheWholeTableByteForByte)
{
    HighScoreTable table;
    table.insert("abc", 150);
    Bytes expected(TABLE, '\0');
    std::memcpy(expected.data(), "abc", 3);
    expected[24] = '\x96';
    EXPECT_EQ(stored(), expected);
    EXPECT_STREQ(table.normalEntries()[0].name, "abc");
    EXPECT_EQ(scores(table.hardEntries()), std::vector<uint32_t>(10, 0));
    EXPECT_EQ(folder(), std::vector<std::string>{"HighScores.dat"});
}

TEST_F(HighScoreFile, ShortAndLongFilesFillOnlyTheWholeRecordsTheyHold)
{
    Bytes normal = half({{"a", 10}, {"b", 9}, {"c", 8}, {"d", 7}, {"e", 6}, {"f", 5}, {"g", 4}, {"h", 3}, {"i", 2}, {"j", 1}});
    Bytes hard = half({{"x", 70}, {"y", 60}});

    store(normal);
    HighScoreTable exactHalf;
    EXPECT_EQ(scores(exactHalf.normalEntries()), (std::vector<uint32_t>{10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(scores(exactHalf.hardEntries()), std::vector<uint32_t>(10, 0));

    store(normal + hard.substr(0, RECORD + 20));  // the second Hard record only in part
    HighScoreTable partial;
    EXPECT_STREQ(partial.hardEntries()[0].name, "x");
    EXPECT_EQ(scores(partial.hardEntries())[1], 0u);

    store("");
    HighScoreTable empty;
    EXPECT_EQ(scores(empty.normalEntries()), std::vector<uint32_t>(10, 0));

    store(normal + hard + Bytes(40, '\x7f'));
    HighScoreTable longer;
    EXPECT_EQ(longer.hardEntries()[1].score, 60u);
    longer.insert("k", 11);
    EXPECT_EQ(stored().size(), TABLE);
    EXPECT_EQ(stored().substr(TABLE / 2), hard);
}

TEST_F(HighScoreFile, NewScoresGoBeforeTheFirstStrictlyLowerStoredScore)
{
    store(half({{"a", 900}, {"b", 500}, {"c", 500}, {"d", 300}}));
    HighScoreTable ties;
    ties.insert("new", 500);
    EXPECT_EQ(scores(ties.normalEntries()), (std::vector<uint32_t>{900, 500, 500, 500, 300, 0, 0, 0, 0, 0}));
    EXPECT_STREQ(ties.normalEntries()[3].name, "new");

    // Stored order is kept as it is, and an entry without a name still holds its rank.
    store(half({{"a", 100}, {"", 700}, {"c", 50}}));
    HighScoreTable unsorted;
    unsorted.insert("new", 80);
    EXPECT_EQ(scores(unsorted.normalEntries()), (std::vector<uint32_t>{100, 700, 80, 50, 0, 0, 0, 0, 0, 0}));
    EXPECT_STREQ(unsorted.normalEntries()[1].name, "");

    // Scores compare as unsigned: one above 2^31 outranks everything.
    unsorted.insert("big", 3000000000u);
    EXPECT_EQ(unsorted.normalEntries()[0].score, 3000000000u);
}

TEST_F(HighScoreFile, ScoresThatDoNotRankLeaveTheTableAndTheFileAlone)
{
    store(half({{"a", 900}, {"b", 800}, {"c", 700}, {"d", 600}, {"e", 500}, {"f", 400}, {"g", 350}, {"h", 320}, {"i", 300}, {"j", 200}}));
    HighScoreTable table;
    std::filesystem::remove(HIGH_SCORE_FILE);
    table.insert("zero", 0);
    table.insert("tie", 200);
    EXPECT_FALSE(std::filesystem::exists(HIGH_SCORE_FILE));
    EXPECT_EQ(table.normalEntries()[9].score, 200u);
    EXPECT_STREQ(table.normalEntries()[9].name, "j");

    table.insert("k", 201);
    EXPECT_STREQ(table.normalEntries()[9].name, "k");
    EXPECT_STREQ(table.normalEntries()[8].name, "i");
    EXPECT_EQ(stored().size(), TABLE);

    HighScoreTable empty;
    empty.clear();
    empty.insert("zero", 0);
    EXPECT_EQ(empty.normalEntries()[0].name[0], '\0');
}

TEST_F(HighScoreFile, HardFilingChangesOnlyTheHardHalfButRewritesBoth)
{
    Bytes normal = half({{"n", 40}});
    store(normal);
    HighScoreTable table;
    snakeGame->setMode(MODE_HARD);
    table.insert("h", 1);
    EXPECT_EQ(stored(), normal + half({{"h", 1}}));
}

TEST_F(HighScoreFile, LongNamesAreCutToTheirField)
{
    // A stored name filling all 24 bytes reads as its first 23 characters.
    Bytes full = record("ABCDEFGHIJKLMNOPQRSTUVWX", 5);
    store(full);
    HighScoreTable table;
    EXPECT_STREQ(table.normalEntries()[0].name, "ABCDEFGHIJKLMNOPQRSTUVW");

    table.insert("abcdefghijklmnopqrstuvwxyz0123", 9);
    EXPECT_STREQ(table.normalEntries()[0].name, "abcdefghijklmnopqrstuvw");
    EXPECT_EQ(table.normalEntries()[0].score, 9u);
    EXPECT_EQ(stored().substr(0, 2 * RECORD), record("abcdefghijklmnopqrstuvw", 9) + record("ABCDEFGHIJKLMNOPQRSTUVW", 5));
}

TEST_F(HighScoreFile, AFileThatCannotBeWrittenKeepsTheEntryInMemoryOnly)
{
    std::filesystem::remove("scores");
    HighScoreTable noFolder;
    noFolder.insert("abc", 150);
    EXPECT_STREQ(noFolder.normalEntries()[0].name, "abc");
    EXPECT_FALSE(std::filesystem::exists("scores"));

    // Made read-only by the player: left alone even when run as root.
    std::filesystem::create_directory("scores");
    Bytes old = half({{"old", 7}}) + half({});
    store(old);
    chmod(HIGH_SCORE_FILE, 0444);
    HighScoreTable readOnly;
    readOnly.insert("abc", 150);
    EXPECT_STREQ(readOnly.normalEntries()[0].name, "abc");
    EXPECT_EQ(stored(), old);
    EXPECT_EQ(folder(), std::vector<std::string>{"HighScores.dat"});
}

TEST_F(HighScoreFile, ReplacingTheFileKeepsItsPermissions)
{
    store(half({}) + half({}));
    chmod(HIGH_SCORE_FILE, 0640);
    HighScoreTable table;
    table.insert("abc", 150);
    struct stat info;
    ASSERT_EQ(stat(HIGH_SCORE_FILE, &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
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
    EXPECT_EQ(folder(), std::vector<std::string>{"HighScores.dat"});
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

// The high-score screen, drawn from a table loaded from the file.
class HighScoreScreen : public HighScoreFile {
protected:
    void SetUp() override
    {
        HighScoreFile::SetUp();
        store(half({{"ann", 4000000000u}, {"", 800}, {"bob", 700}, {"", 9}, {"", 8}, {"", 7}, {"", 6}, {"", 5}, {"", 4}, {"zed", 3}}) +
              half({{"hard one", 12}}));
        delete highScoreTable;
        highScoreTable = new HighScoreTable();
        appState->setScreen(SCREEN_HIGH_SCORES);
        record::reset();
    }
    static std::vector<record::TextRun> drawn()
    {
        record::reset();
        menuScreens->drawHighScores();
        return record::textRuns();
    }
};

TEST_F(HighScoreScreen, ShowsTheListOfTheCurrentModeWithBlankRowsForEmptyNames)
{
    drawn();
    void* title = GLUT_BITMAP_TIMES_ROMAN_24;
    void* body = GLUT_BITMAP_9_BY_15;
    std::vector<record::TextRun> expected = {
        {412, 334, "High Scores", title},
        {412, 404, "<-  Normal  ->", body},
        {402, 444, "1  -> 4000000000 , ann", body},
        {402, 484, "3  -> 700 , bob", body},
        {402, 624, "10 -> 3 , zed", body},
        {402, 664, "Any key - Main Menu", body},
    };
    expectLastTextRuns(expected);
}

TEST_F(HighScoreScreen, TheSideArrowsToggleTheListAndStay)
{
    for (int arrow : {GLUT_KEY_RIGHT, GLUT_KEY_LEFT}) {
        snakeGame->setMode(MODE_NORMAL);
        record::reset();
        menuScreens->onHighScoresKey('0', arrow, 0, 0);
        EXPECT_EQ(snakeGame->getMode(), MODE_HARD);
        EXPECT_EQ(appState->getScreen(), SCREEN_HIGH_SCORES);
        EXPECT_EQ(record::named("glutPostRedisplay").size(), 1u);
        std::vector<record::TextRun> runs = drawn();
        ASSERT_GE(runs.size(), 3u);
        EXPECT_EQ(runs[runs.size() - 3].text, "<-   Hard   ->");
        EXPECT_EQ(runs[runs.size() - 2].text, "1  -> 12 , hard one");

        menuScreens->onHighScoresKey('0', arrow, 0, 0);
        EXPECT_EQ(snakeGame->getMode(), MODE_NORMAL);
    }
}

TEST_F(HighScoreScreen, EveryOtherKeyReturnsToTheMainMenuKeepingTheMode)
{
    const std::pair<unsigned char, int> keys[] = {
        {'0', GLUT_KEY_UP}, {'0', GLUT_KEY_DOWN}, {'0', GLUT_KEY_F1}, {27, -1}, {'a', -1}, {'0', -1}};
    for (auto [key, special] : keys) {
        snakeGame->setMode(MODE_HARD);
        appState->setScreen(SCREEN_HIGH_SCORES);
        record::reset();
        menuScreens->onHighScoresKey(key, special, 0, 0);
        EXPECT_EQ(appState->getScreen(), SCREEN_MAIN_MENU) << special;
        EXPECT_EQ(snakeGame->getMode(), MODE_HARD);
        EXPECT_EQ(record::only({"glutIgnoreKeyRepeat", "glutPostRedisplay"}),
                  (std::vector<Call>{{"glutIgnoreKeyRepeat", {1}, ""}, {"glutPostRedisplay", {}, ""}}));
    }
}

}  // namespace
