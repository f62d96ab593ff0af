// Placeholder until the game rules land.
#include "game/SnakeGame.h"
#include <cstdlib>
#include <cstring>
SnakeGame::SnakeGame() { reset(MODE_NORMAL); }
void SnakeGame::reset(int32_t newMode) { mode = newMode; }
void SnakeGame::tick() {}
void SnakeGame::onKey(unsigned char, int32_t, int32_t, int32_t) {}
char* SnakeGame::getPlayerName() const { return strdup(playerName); }
void SnakeGame::setPlayerName(const char*) {}
void SnakeGame::draw() {}
