#pragma once

#include <cstdint>

constexpr int HIGH_SCORES_PER_MODE = 10;
constexpr int HIGH_SCORE_NAME_SIZE = 24;
constexpr const char* HIGH_SCORE_FILE = "scores/HighScores.dat";

// One entry, laid out exactly as a 28-byte record of the file.
struct HighScoreEntry {
    char name[HIGH_SCORE_NAME_SIZE];  // zero-terminated; empty entry when name[0] is 0
    uint32_t score;                   // little-endian in the file, as in memory on x86
};
static_assert(sizeof(HighScoreEntry) == 28);

// The ten best scores of each mode, Normal half first, as stored in HIGH_SCORE_FILE.
class HighScoreTable {
public:
    HighScoreTable();  // clear, then load

    void clear();
    void load();
    void save();
    // Files the score in the half of the game's current mode when it ranks
    // there, and then rewrites the file.
    void insert(const char* name, uint32_t score);

    const HighScoreEntry* normalEntries() const { return entries; }
    const HighScoreEntry* hardEntries() const { return entries + HIGH_SCORES_PER_MODE; }
    void copyEntry(HighScoreEntry* destination, const HighScoreEntry* source);

private:
    HighScoreEntry entries[2 * HIGH_SCORES_PER_MODE];
};
