// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The search benchmark: the bench positions searched to a fixed depth, one thread and
// fresh tables for each, so the total node count is the signature of the search. The
// benchmark program and the engines' "bench" command both run it.
#pragma once

#include <cstdint>
#include <functional>

#include "board/move.h"

struct BenchPosition {
    const char *fen;
    Move best;
    uint64_t nodes;
};

struct BenchTotals {
    uint64_t nodes = 0;
    double seconds = 0;
};

// Static tables must be built. each (may be empty) hears of every position in turn.
BenchTotals runBench(int depth, const std::function<void(const BenchPosition &)> &each);
