// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Playing strength a person chooses: an Elo on the scale the levels were measured on
// (BENCHMARKS.md, "Strength levels"). A level plays the full search with two handicaps
// that leave its moves plausible: a node budget, so that it sees tactics only a few
// plies deep, and a choice among its best root lines, so that now and then it prefers
// a move that looks nearly as good to it. Never a move that loses more than its margin
// by its own reckoning: weak levels lose to what they do not see.
#pragma once

#include <cstdint>
#include <span>

#include "board/move.h"

constexpr int STRENGTH_ELO_MIN = 1000;
constexpr int STRENGTH_ELO_MAX = 2400;
// The lines a level compares (or fewer, when the root has fewer moves).
constexpr int STRENGTH_LINES = 4;

struct StrengthLevel {
    uint64_t nodes = 0;  // the search's node budget per move
    int marginCp = 0;    // how much worse, by its own score, a chosen line may be
};

// The level of an Elo (brought within STRENGTH_ELO_MIN..MAX).
StrengthLevel strengthLevel(int elo);

// One root line as a level weighs it.
struct LineChoice {
    Move move = NO_MOVE;
    Move ponder = NO_MOVE;
    int score = 0;
};

// The line a level plays: the one whose score plus a random share of the margin is
// highest, the shares drawn from the seed and the position's key, so that one seed
// replays one game. lines holds at least one line.
int chooseLine(std::span<const LineChoice> lines, int marginCp, uint64_t seed, uint64_t positionKey);
