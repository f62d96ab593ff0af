#include "highscores/HighScoreTable.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "game/SnakeGame.h"
#include "platform/Dialogs.h"
#include "platform/Platform.h"
#include "shell/App.h"

// The table is read and written as it lies in memory, so the file's
// little-endian scores need a little-endian machine.
static_assert(std::endian::native == std::endian::little);
static_assert(sizeof(HighScoreTable) == 2 * HIGH_SCORES_PER_MODE * sizeof(HighScoreEntry));

namespace {

constexpr std::size_t TABLE_BYTES = 2 * HIGH_SCORES_PER_MODE * sizeof(HighScoreEntry);  // 560
constexpr std::size_t MAX_STORED_NAME = HIGH_SCORE_NAME_SIZE - 1;                       // 23
constexpr const char* TEMPORARY_MARK = ".tmp.";  // HighScores.dat.tmp.XXXXXX
// A renamed copy cannot be made to look like the file it would replace.
constexpr int KEEP_IN_PLACE = -1;

std::string folderOf(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    return slash ? std::string(path, slash) : ".";
}

// Every game that reads the table in order to rewrite it holds this lock on
// the file's folder, from the read to the end of the write, so that two games
// in one folder never write back a table without the other's score. It is
// the folder that is locked, not the file, because a rename gives the file a
// new inode; and a folder can be opened for reading where it cannot be written.
class FolderLock {
public:
    explicit FolderLock(int operation)
        : fd(open(folderOf(HIGH_SCORE_FILE).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (fd < 0) {
            error = errno;
            return;
        }
        int result;
        do
            result = flock(fd, operation);
        while (result != 0 && errno == EINTR);
        // Where the file system offers no locks the game still saves, unguarded.
        held = result == 0;
    }
    ~FolderLock() { release(); }
    void release()
    {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    int fd;             // the folder, open for reading; -1 when it could not be opened or once released
    int error = 0;      // why it could not be opened
    bool held = false;  // false where the file system offers no locks
};

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

bool writeAll(int fd, const void* data, std::size_t size)
{
    auto bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        ssize_t written = write(fd, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written == 0)
            errno = EIO;
        if (written <= 0)
            return false;
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Under the lock no other game is between making its temporary file and
// renaming it, so any such file in the folder was left by a game that died there.
void removeLeftovers(const FolderLock& lock)
{
    // Read through a copy of the locked folder's descriptor, which closedir closes.
    int fd = fcntl(lock.fd, F_DUPFD_CLOEXEC, 0);
    DIR* folder = fd < 0 ? nullptr : fdopendir(fd);
    if (!folder) {
        if (fd >= 0)
            close(fd);
        return;
    }
    const char* name = std::strrchr(HIGH_SCORE_FILE, '/');
    std::string prefix = std::string(name ? name + 1 : HIGH_SCORE_FILE) + TEMPORARY_MARK;
    while (dirent* entry = readdir(folder))
        if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0)
            unlinkat(dirfd(folder), entry->d_name, 0);
    closedir(folder);
}

// Gives the file at path the bytes of a new file written beside it and then
// renamed over it, so that whatever happens the name holds all of the old
// bytes or all of the new ones. The new file takes the old one's owner, group
// and mode; where it cannot, or where the folder cannot be written, the
// result is KEEP_IN_PLACE and nothing has changed. Other failures are errno values.
int replaceByRename(const char* path, const struct stat* old, const void* bytes, const FolderLock& lock)
{
    std::string temporary = std::string(path) + TEMPORARY_MARK + "XXXXXX";
    int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return old ? KEEP_IN_PLACE : errno;
    struct stat made{};
    fstat(fd, &made);
    uid_t owner = old ? old->st_uid : made.st_uid;
    gid_t group = old ? old->st_gid : made.st_gid;
    mode_t mode = old ? old->st_mode & 07777 : defaultFileMode();
    // The owner first: a change of owner may clear the set-id bits that the mode then restores.
    bool same = fchown(fd, owner, group) == 0 && fchmod(fd, mode) == 0;
    int result = 0;
    if (!same)
        result = old ? KEEP_IN_PLACE : EPERM;
    else if (!writeAll(fd, bytes, TABLE_BYTES) || fsync(fd) != 0)
        result = errno;
    if (close(fd) != 0 && result == 0)
        result = errno;
    if (result == 0 && rename(temporary.c_str(), path) != 0)
        result = errno;
    if (result != 0) {
        unlink(temporary.c_str());
        return result;
    }
    fsync(lock.fd);  // makes the rename itself last; the scores are already safe either way
    return 0;
}

// Rewrites the file where it lies, through a symbolic link if it is one: the
// file keeps its inode, links, owner, group and mode. The 560 bytes go in one
// write from the start, then anything longer is cut off and all reaches the disk.
int writeInPlace(const char* path, const void* bytes)
{
    // Non-blocking so that a named pipe in the file's place cannot hang the game.
    int fd = open(path, O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    int result = writeAll(fd, bytes, TABLE_BYTES) && ftruncate(fd, TABLE_BYTES) == 0 && fsync(fd) == 0 ? 0 : errno;
    if (close(fd) != 0 && result == 0)
        result = errno;
    return result;
}

// Writes the table to HIGH_SCORE_FILE, in the most careful way that keeps
// the file what it is; returns 0 or the errno of the failure.
int writeTable(const void* bytes, const FolderLock& lock)
{
    if (lock.fd < 0)
        return lock.error;  // the folder is missing: it is never created
    if (lock.held)
        removeLeftovers(lock);

    const char* path = HIGH_SCORE_FILE;
    struct stat name;
    if (lstat(path, &name) != 0)
        return errno == ENOENT ? replaceByRename(path, nullptr, bytes, lock) : errno;
    struct stat target;
    if (stat(path, &target) == 0 && isReadOnly(path, target))
        return EACCES;
    // A renamed copy would replace a symbolic link by a plain file, and
    // would leave a second hard link showing the old table.
    if (S_ISREG(name.st_mode) && name.st_nlink == 1) {
        int result = replaceByRename(path, &name, bytes, lock);
        if (result != KEEP_IN_PLACE)
            return result;
    }
    return writeInPlace(path, bytes);
}

// The lock goes before the player hears of a failure, so that a box left
// open holds up no other game's save. The table stays in memory for this run.
void saveTable(const void* bytes, FolderLock& lock)
{
    int error = writeTable(bytes, lock);
    lock.release();
    if (!error)
        return;
    const char* reason = std::strerror(error);
    std::fprintf(stderr, "tarvik-snake: cannot save %s: %s\n", HIGH_SCORE_FILE, reason);
    std::string message = std::string("The high score could not be saved in ") + HIGH_SCORE_FILE + ": " + reason + ".";
    showErrorBox(ERROR_CAPTION, message.c_str());
}

}  // namespace

HighScoreTable::HighScoreTable()
{
    clear();
    // Shared, so that no other game is halfway through rewriting the file in place.
    FolderLock lock(LOCK_SH);
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
    FolderLock lock(LOCK_EX);
    saveTable(entries, lock);
}

void HighScoreTable::insert(const char* name, uint32_t score)
{
    // Another game in this folder may have filed scores since this one read
    // the file: the score goes into the table as the file holds it now, which
    // is also what the high-score screen then shows.
    FolderLock lock(LOCK_EX);
    load();

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
    saveTable(entries, lock);
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
