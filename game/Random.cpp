#include "game/Random.h"

namespace {

constexpr uint32_t MULTIPLIER = 214013;
constexpr uint32_t INCREMENT = 2531011;
constexpr int OUTPUT_SHIFT = 16;

uint32_t state = 1;  // the state an unseeded generator starts from

}  // namespace

bool seedPending = true;

void seedRandom(uint32_t seed)
{
    state = seed;
}

int32_t nextRandom()
{
    // Unsigned arithmetic wraps modulo 2^32, which is the generator's modulus.
    state = state * MULTIPLIER + INCREMENT;
    return static_cast<int32_t>((state >> OUTPUT_SHIFT) & RANDOM_MAX);
}
