#include "highscores/HighScoreTable.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "game/SnakeGame.h"
#include "shell/App.h"

// The table is read and written as it lies in memory, so the file's
// little-endian scores need a little-endian machine.
static_assert(std::endian::native == std::endian::little);
static_assert(sizeof(HighScoreTable) == 2 * HIGH_SCORES_PER_MODE * sizeof(HighScoreEntry));

namespace {

constexpr std::size_t TABLE_BYTES = 2 * HIGH_SCORES_PER_MODE * sizeof(HighScoreEntry);  // 560
constexpr std::size_t MAX_STORED_NAME = HIGH_SCORE_NAME_SIZE - 1;                       // 23

// A file the player made read-only stays untouched. Root passes access() for
// any file, so the mode bits are looked at too: without any write bit the
// file counts as read-only for every user.
bool isReadOnly(const char* path, const struct stat& info)
{
    return access(path, W_OK) != 0 || (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// The mode a new file would get from fopen: 0666 less the umask.
mode_t defaultFileMode()
{
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool writeAll(int fd, const unsigned char* bytes, std::size_t size)
{
    while (size > 0) {
        ssize_t written = write(fd, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Makes the rename itself durable; a failure here no longer endangers the scores.
void syncFolder(const std::string& folder)
{
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}

// Replaces the file at path by the given bytes so that, whatever happens,
// the file holds either all of its old bytes or all of the new ones: the
// bytes go to a temporary file in the same folder, reach the disk, and only
// then take the old file's place by a rename.
bool replaceFile(const char* path, const void* bytes, std::size_t size)
{
    struct stat old;
    bool existed = stat(path, &old) == 0;
    if (!existed && errno != ENOENT)
        return false;
    if (existed && isReadOnly(path, old))
        return false;

    std::string temporary = std::string(path) + ".tmp.XXXXXX";
    int fd = mkstemp(temporary.data());
    if (fd < 0)
        return false;  // the folder is missing or cannot be written
    bool ok = fchmod(fd, existed ? (old.st_mode & 07777) : defaultFileMode()) == 0 &&
              writeAll(fd, static_cast<const unsigned char*>(bytes), size) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && rename(temporary.c_str(), path) == 0;
    if (!ok) {
        unlink(temporary.c_str());
        return false;
    }
    std::string folder(path);
    std::size_t slash = folder.find_last_of('/');
    syncFolder(slash == std::string::npos ? "." : folder.substr(0, slash));
    return true;
}

}  // namespace

HighScoreTable::HighScoreTable()
{
    clear();
    load();
}

void HighScoreTable::clear()
{
    for (HighScoreEntry& entry : entries)
        entry = HighScoreEntry{};
}

void HighScoreTable::load()
{
    FILE* file = std::fopen(HIGH_SCORE_FILE, "rb");
    if (!file)
        return;
    unsigned char bytes[TABLE_BYTES];
    std::size_t count = std::fread(bytes, 1, sizeof bytes, file);
    std::fclose(file);

    // Only whole records are taken; a record the file holds in part leaves
    // its entry, and every later one, as it was.
    std::size_t records = count / sizeof(HighScoreEntry);
    std::memcpy(entries, bytes, records * sizeof(HighScoreEntry));
    for (std::size_t i = 0; i < records; ++i) {
        char* name = entries[i].name;
        // A name that fills its whole field is cut to 23 characters so that
        // nothing reads past the record.
        if (!std::memchr(name, 0, HIGH_SCORE_NAME_SIZE))
            name[MAX_STORED_NAME] = '\0';
    }
}

void HighScoreTable::save()
{
    // A file that cannot be written is ignored: the scores stay in memory for this run.
    replaceFile(HIGH_SCORE_FILE, entries, TABLE_BYTES);
}

void HighScoreTable::insert(const char* name, uint32_t score)
{
    HighScoreEntry* half = entries + (snakeGame->getMode() == MODE_NORMAL ? 0 : HIGH_SCORES_PER_MODE);
    HighScoreEntry before[HIGH_SCORES_PER_MODE];
    for (int k = 0; k < HIGH_SCORES_PER_MODE; ++k)
        copyEntry(&before[k], &half[k]);

    int i = 0;
    while (i < HIGH_SCORES_PER_MODE && !(half[i].score < score))
        ++i;
    if (i == HIGH_SCORES_PER_MODE)
        return;

    HighScoreEntry added{};
    std::strncpy(added.name, name, MAX_STORED_NAME);
    added.score = score;
    copyEntry(&half[i], &added);
    for (int k = i + 1; k < HIGH_SCORES_PER_MODE; ++k)
        copyEntry(&half[k], &before[k - 1]);
    save();
}

void HighScoreTable::copyEntry(HighScoreEntry* destination, const HighScoreEntry* source)
{
    // The bytes after the name are zeroed rather than left from the entry
    // that stood there before, so the file carries no stale names.
    std::size_t length = strnlen(source->name, MAX_STORED_NAME);
    std::memcpy(destination->name, source->name, length);
    std::memset(destination->name + length, 0, HIGH_SCORE_NAME_SIZE - length);
    destination->score = source->score;
}
