// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The engine's pseudo-random numbers: one generator for the Zobrist keys, the random
// seed, random moves, book choice and random positions. It draws exactly the sequence
// of the GNU C library's rand() (its additive feedback generator, seeded through a
// multiplicative congruential sequence), so keys, signatures and random tools are the
// same on every platform, whatever the platform's own rand() does.
#pragma once

#include <cstdint>

// The largest number nextRandom returns (2^31 - 1).
constexpr int RANDOM_MAX = 2147483647;

// Starts the sequence again from seed (as srand: 0 counts as 1).
void seedRandom(uint32_t seed);
// The next number of the sequence, 0 to RANDOM_MAX. Safe to call from several threads.
int nextRandom();
