// Saving the high-score table in every folder set-up: the file keeps its identity and owner, two
// games lose no score, a failed save says why. And the screen as a stored file fills it (entries
// as stored, whole records only) and its keys.
#include <GL/freeglut.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <tuple>
#include <vector>

#include "Golden.h"
#include "ScratchFolder.h"

namespace {

using namespace std::string_literals;
using Bytes = std::string;
constexpr std::size_t TABLE = 2 * HIGH_SCORES_PER_MODE * sizeof(HighScoreEntry);

// A half of ten records from (name, score) pairs, padded with empty records.
Bytes half(std::initializer_list<std::pair<const char*, uint32_t>> entries)
{
    Bytes bytes;
    for (auto [name, score] : entries)
        bytes += scoreRecord(name, score);
    return bytes + Bytes(TABLE / 2 - bytes.size(), '\0');
}

// Every path of a folder tree: its mode, owner, group, link count and bytes (or where it links to).
using Tree = std::map<std::string, std::tuple<mode_t, uid_t, gid_t, nlink_t, Bytes>>;

class HighScoreFile : public ScratchFolder {
protected:
    void SetUp() override
    {
        ScratchFolder::SetUp();
        // Reachable by the player the permission cases run as.
        std::filesystem::permissions(folder, std::filesystem::perms(0755));
        std::filesystem::create_directory("scores");
        snakeGame->setMode(MODE_NORMAL);
    }
    static Tree snapshot()
    {
        Tree tree;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(".")) {
            struct stat info;
            lstat(entry.path().c_str(), &info);
            tree[entry.path()] = {info.st_mode, info.st_uid, info.st_gid, info.st_nlink,
                                  S_ISLNK(info.st_mode) ? std::filesystem::read_symlink(entry.path()).string()
                                  : S_ISREG(info.st_mode) ? readFile(entry.path()) : Bytes()};
        }
        return tree;
    }
};

// The table a game holds after filing the scores 1 to top, each as "p<score>".
Bytes tableAfter(uint32_t top)
{
    Bytes bytes;
    for (uint32_t k = 0; k < HIGH_SCORES_PER_MODE; ++k)
        bytes += top > k ? scoreRecord("p" + std::to_string(top - k), top - k) : Bytes(sizeof(HighScoreEntry), '\0');
    return bytes + Bytes(TABLE / 2, '\0');
}

// Who plays in the set-ups below: nobody when the tests run as root, for whom
// permission bits would not bind, a member of the shared group; otherwise the
// current user. ADMIN is who set the folder up.
const uid_t ADMIN = geteuid(), PLAYER = ADMIN == 0 ? 65534 : ADMIN;
const gid_t ADMIN_GROUP = getegid(), PLAYER_GROUP = ADMIN == 0 ? 65534 : ADMIN_GROUP;
const gid_t SHARED_GROUP = ADMIN == 0 ? 60 : ADMIN_GROUP;  // "games"

// A folder (or a file holding a table) with this owner and mode. The table's order is kept as stored,
// an entry without a name holds its rank and scores compare as unsigned.
void make(bool isFolder, const char* path, uid_t owner, gid_t group, mode_t mode)
{
    if (isFolder)
        std::filesystem::create_directory(path);
    else
        std::ofstream(path, std::ios::binary) << half({{"big", 3000000000u}, {"", 50}, {"e", 700}}) + half({{"h", 7}});
    ASSERT_EQ(chown(path, owner, group) | chmod(path, mode), 0) << path;
}

// A game in a child process, with its stderr caught: it returns at once and finish() waits for it.
using Game = std::pair<pid_t, int>;

Game start(bool asPlayer, const std::function<int()>& play)
{
    int ends[2];
    pid_t pid = pipe(ends) == 0 ? fork() : -1;
    if (pid == 0) {
        alarm(20);  // never outlive a parent that failed
        dup2(ends[1], STDERR_FILENO);
        close(ends[0]), close(ends[1]);
        gid_t groups[] = {SHARED_GROUP};
        if (asPlayer && ADMIN == 0 && (setgroups(1, groups) != 0 || setgid(PLAYER_GROUP) != 0 || setuid(PLAYER) != 0))
            _exit(99);
        _exit(play());
    }
    EXPECT_GT(pid, 0);
    close(ends[1]);
    return {pid, ends[0]};
}

// The game's exit status and what it wrote on stderr.
std::pair<int, Bytes> finish(Game game)
{
    Bytes errors;
    for (char c; read(game.second, &c, 1) == 1;)
        errors += c;
    close(game.second);
    int status = 0;
    waitpid(game.first, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), errors};
}

// A folder set-up and the names that must show the new table after two games
// filed into it (a temporary file a crashed game left goes), or why saving fails.
struct FolderSetUp {
    const char* setUp;
    void (*prepare)();
    std::vector<const char*> tables;
    const char* reason = nullptr;
    bool asPlayer = true;
    rlim_t fileSizeLimit = RLIM_INFINITY;  // below 560 bytes it stands in for a disk that fills up
};

const FolderSetUp SET_UPS[] = {
    {"the player's own file in a folder the player can write", [] {
         make(false, HIGH_SCORE_FILE, PLAYER, PLAYER_GROUP, 0640);
         make(false, "scores/HighScores.dat.tmp.k3Xq9Z", PLAYER, PLAYER_GROUP, 0600);
     }, {HIGH_SCORE_FILE}},
    {"a file all can write in a folder the player cannot", [] {
         make(false, HIGH_SCORE_FILE, ADMIN, ADMIN_GROUP, 0666), make(true, "scores", ADMIN, ADMIN_GROUP, 0555);
     }, {HIGH_SCORE_FILE}},
    {"a symbolic link to a file kept elsewhere", [] {
         make(true, "dotfiles", PLAYER, PLAYER_GROUP, 0755), make(false, "dotfiles/HighScores.dat", PLAYER, PLAYER_GROUP, 0644);
         ASSERT_EQ(symlink("../dotfiles/HighScores.dat", HIGH_SCORE_FILE) | lchown(HIGH_SCORE_FILE, PLAYER, PLAYER_GROUP), 0);
     }, {"dotfiles/HighScores.dat"}},
    {"a file with a second hard link", [] {
         make(false, HIGH_SCORE_FILE, PLAYER, PLAYER_GROUP, 0644), std::ofstream(HIGH_SCORE_FILE, std::ios::app) << "bytes past the table";
         ASSERT_EQ(link(HIGH_SCORE_FILE, "backup.dat"), 0);
     }, {HIGH_SCORE_FILE, "backup.dat"}},
    {"a file of the admin and a group the player shares, in a folder the group can write", [] {
         make(true, "scores", ADMIN, SHARED_GROUP, 0775), make(false, HIGH_SCORE_FILE, ADMIN, SHARED_GROUP, 0664);
     }, {HIGH_SCORE_FILE}},
    {"no scores folder", [] { std::filesystem::remove("scores"); }, {}, "No such file or directory"},
    {"no file, in a folder the player cannot write", [] { make(true, "scores", ADMIN, ADMIN_GROUP, 0555); }, {}, "Permission denied"},
    {"a read-only file, even for root", [] { make(false, HIGH_SCORE_FILE, ADMIN, ADMIN_GROUP, 0444); }, {}, "Permission denied", false},
    {"a write that fails halfway", [] { make(false, HIGH_SCORE_FILE, PLAYER, PLAYER_GROUP, 0644); }, {}, "File too large", true, 100},
};

TEST_F(HighScoreFile, TwoGamesInEveryFolderSetUpKeepEveryScoreAndEverythingTheFileWasOrSayWhyNot)
{
    for (const FolderSetUp& setUp : SET_UPS) {
        SCOPED_TRACE(setUp.setUp);
        // An empty scores folder of the player's again, even where a set-up made it read-only.
        std::error_code absent;
        std::filesystem::permissions("scores", std::filesystem::perms::owner_all, std::filesystem::perm_options::add, absent);
        std::filesystem::remove_all("scores"), make(true, "scores", PLAYER, PLAYER_GROUP, 0755);
        setUp.prepare();
        Tree expected = snapshot();
        for (const char* name : setUp.tables)
            std::get<Bytes>(expected[std::string("./") + name]) = half({{"big", 3000000000u}, {"a70", 70}, {"", 50}, {"e", 700},
                {"a50", 50}, {"a30", 30}, {"a10", 10}}) + half({{"b80", 80}, {"b60", 60}, {"b40", 40}, {"b20", 20}, {"h", 7}});
        std::erase_if(expected, [](auto& path) { return path.first.find(".tmp.") != std::string::npos; });
        // Both games read the table before either files, then file at once into the file as it is now: first a score
        // of 0, which ranks nowhere and is not saved, then their own, a's in the Normal half and b's in the Hard half.
        // Each keeps its last score in memory, saved or not, and shows one box per failed filing, after its stderr lines.
        int go[2];
        ASSERT_EQ(pipe(go), 0);
        std::vector<Game> games;
        for (char player : {'a', 'b'})
            games.push_back(start(setUp.asPlayer, [&, player] {
                signal(SIGXFSZ, SIG_IGN);
                rlimit limit{setUp.fileSizeLimit, setUp.fileSizeLimit};
                HighScoreTable table;
                char byte;
                if (setrlimit(RLIMIT_FSIZE, &limit) != 0 || close(go[1]) != 0 || read(go[0], &byte, 1) != 0)
                    return 1;
                table.insert("none", 0);
                snakeGame->setMode(player == 'a' ? MODE_NORMAL : MODE_HARD);
                for (uint32_t score = player == 'a' ? 10 : 20; score <= 80; score += 20)
                    table.insert((player + std::to_string(score)).c_str(), score);
                for (const std::string& box : record::errorBoxes())
                    std::fprintf(stderr, "%s\n", box.c_str());
                const HighScoreEntry* half = player == 'a' ? table.normalEntries() : table.hardEntries();
                auto mine = [&](const HighScoreEntry& e) { return e.name == std::string(player == 'a' ? "a70" : "b80"); };
                return int(std::none_of(half, half + HIGH_SCORES_PER_MODE, mine));
            }));
        close(go[0]), close(go[1]);
        Bytes line = setUp.reason ? Bytes("tarvik-snake: cannot save scores/HighScores.dat: ") + setUp.reason + "\n" : "";
        Bytes box = setUp.reason ? Bytes("Error|The high score could not be saved in scores/HighScores.dat: ") + setUp.reason + ".\n" : "";
        for (Game game : games)
            EXPECT_EQ(finish(game), std::make_pair(0, line + line + line + line + box + box + box + box));
        EXPECT_EQ(snapshot(), expected);
    }
}

TEST_F(HighScoreFile, KillingTheProgramDuringSavesNeverLeavesAPartialFile)
{
    // A second hard link makes the game write in place rather than rename.
    for (bool inPlace : {false, true}) {
        SCOPED_TRACE(inPlace ? "in place" : "by rename");
        if (inPlace)
            writeFile(HIGH_SCORE_FILE, tableAfter(0)), std::filesystem::create_hard_link(HIGH_SCORE_FILE, "second-name");
        // Each child reports every save it finished on its stderr and is killed at a point of a save after its second,
        // varied in steps of a tenth of the time its second save took.
        uint32_t top = 0;
        for (int round = 0; round < 60; ++round) {
            Game game = start(false, [] {
                umask(027);  // which gives a new file its mode
                for (HighScoreTable table;;) {  // each insert re-reads the file
                    uint32_t next = table.normalEntries()[0].score + 1;
                    table.insert(("p" + std::to_string(next)).c_str(), next);
                    if (write(STDERR_FILENO, "s", 1) != 1)
                        return 1;
                }
            });
            char report;
            ASSERT_EQ(read(game.second, &report, 1), 1);
            auto first = std::chrono::steady_clock::now();
            ASSERT_EQ(read(game.second, &report, 1), 1);
            auto save = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - first);
            usleep(useconds_t(save.count() * (round * 3 % 10) / 10));
            kill(game.first, SIGKILL);
            const uint32_t reports = 2 + uint32_t(finish(game).second.size());  // with those still in the pipe
            Bytes bytes = readFile(HIGH_SCORE_FILE);
            uint32_t now = bytes.size() == TABLE ? uint8_t(bytes[24]) | uint8_t(bytes[25]) << 8 : 0;
            ASSERT_EQ(bytes, tableAfter(now)) << "after kill " << round;
            // Every reported save is on disk; the one under way when the kill came may be too.
            ASSERT_TRUE(now == top + reports || now == top + reports + 1) << now << " after " << top << " + " << reports;
            top = now;
        }
        // The next game clears away the temporary files the killed ones left.
        HighScoreTable().insert("last", top + 1);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator("scores"), {}), 1);
        EXPECT_EQ(std::filesystem::hard_link_count(HIGH_SCORE_FILE), inPlace ? 2u : 1u);
        // The mode the first game's new file took from its umask, kept by every later save.
        EXPECT_EQ(std::filesystem::status(HIGH_SCORE_FILE).permissions(), std::filesystem::perms(0640));
    }
}

TEST_F(HighScoreFile, ScreenShowsEachHalfOfTheFileAsStoredLeavesTheFileAloneAndTogglesWithTheSideArrows)
{
    // Unsorted, an empty name keeping its rank, a name without its zero byte, bytes after a name's zero byte.
    std::string file;
    for (auto [name, score] : {std::pair{"Ann"s, 900}, {""s, 800}, {"Bob"s, 100}, {"Cyd"s, 300}, {"ABCDEFGHIJKLMNOPQRSTUVWX"s, 250},
                               {"Eve\0left over"s, 200}, {"a-b_c.d"s, 150}, {"   "s, 120}, {"Ivo"s, 7}, {"Jo"s, 7}})
        file += scoreRecord(name, uint32_t(score));
    for (uint32_t rank = 1; rank <= 10; ++rank)
        file += scoreRecord("Hard " + std::to_string(rank), 4000000000u / rank);
    file += std::string(40, '\xff');
    std::string lists;  // of a file too long, and too short by less than a record
    for (size_t size : {file.size(), size_t{280 + 27}, size_t{2 * 28 + 27}}) {
        writeFile(HIGH_SCORE_FILE, file.substr(0, size));
        *highScoreTable = HighScoreTable();
        for (int mode : {MODE_NORMAL, MODE_HARD}) {
            snakeGame->setMode(mode), record::reset();
            menuScreens->drawHighScores();
            lists += "# " + std::to_string(size) + " bytes, mode " + std::to_string(mode) + "\n" + textListing();
        }
        EXPECT_EQ(readFile(HIGH_SCORE_FILE), file.substr(0, size));
    }
    for (int special : {GLUT_KEY_RIGHT, GLUT_KEY_LEFT, GLUT_KEY_UP, GLUT_KEY_F1, -1}) {  // -1: the key '0'
        snakeGame->setMode(MODE_NORMAL), appState->setScreen(SCREEN_HIGH_SCORES);
        menuScreens->onHighScoresKey('0', special, 0, 0);
        lists += "# special key " + std::to_string(special) + ": mode " + std::to_string(snakeGame->getMode()) + ", screen " +
                 std::to_string(appState->getScreen()) + "\n";
    }
    expectGolden("high_score_screen", lists);
}

}  // namespace
