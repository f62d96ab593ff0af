#pragma once

#include <cstdint>

// The one random generator of the program, with a fixed definition so that a
// seed gives the same food on every platform. Only food placement draws from it.

// True until the generator has been seeded from the clock; seeding happens once
// per run, not once per game.
extern bool seedPending;

constexpr int32_t RANDOM_MAX = 32767;

void seedRandom(uint32_t seed);
// The next value, 0 to RANDOM_MAX.
int32_t nextRandom();
