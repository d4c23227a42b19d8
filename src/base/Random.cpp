/*
 * The program's generator: a minimal-standard linear congruential engine reduced to
 * 0..32767 by its high bits. One engine for the whole process, used on the one thread.
 */
#include "base/Random.h"

#include <chrono>
#include <random>

namespace {

// The process's engine and whether anyone has seeded it yet.
struct RandomState {
    // The engine all draws come from.
    std::minstd_rand engine;
    // False until the first seeding; a draw before that seeds from the clock.
    bool seeded = false;
};

RandomState& State()
{
    static RandomState state;
    return state;
}

}  // namespace

void SeedRandom(unsigned seed)
{
    // minstd_rand rejects a zero state by mapping it to 1; offset so every seed differs.
    State().engine.seed(seed + 1u);
    State().seeded = true;
}

void SeedRandomFromTime()
{
    // Nanoseconds, so two programs started within one second draw different names.
    auto now = std::chrono::system_clock::now().time_since_epoch();
    SeedRandom(static_cast<unsigned>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
    for (int i = 0; i < 5; ++i)
        RandomDraw();
}

int RandomDraw()
{
    if (!State().seeded)
        SeedRandomFromTime();
    // The engine's values span 1..2^31-2; the top 15 of its 31 bits give 0..32767.
    return static_cast<int>(State().engine() >> 16) & kRandomMax;
}
