// Placeholder until the high-score table lands.
#include "highscores/HighScoreTable.h"
HighScoreTable::HighScoreTable() { clear(); }
void HighScoreTable::clear() { for (auto& e : entries) e = HighScoreEntry{}; }
void HighScoreTable::load() {}
void HighScoreTable::save() {}
void HighScoreTable::insert(const char*, uint32_t) {}
void HighScoreTable::copyEntry(HighScoreEntry* d, const HighScoreEntry* s) { *d = *s; }
