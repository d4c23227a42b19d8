/*
 * The program's one pseudo-random generator. It yields 0..32767 like the small generator
 * the formulas of the temporary names, the probes and the wipe were written for, so those
 * formulas hold unchanged. It is seeded once at start-up from the clock (five draws thrown
 * away); tests seed it with a fixed number to know which names come out.
 */
#pragma once

// The largest value RandomDraw returns.
inline constexpr int kRandomMax = 32767;

// One draw from 0 to kRandomMax. Seeds from the clock first if nothing has seeded yet.
int RandomDraw();

// Seeds from the current time and throws the first five draws away (start-up).
void SeedRandomFromTime();

// Seeds with a fixed value so that the following draws are known (tests).
void SeedRandom(unsigned seed);
