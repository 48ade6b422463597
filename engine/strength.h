// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Playing strength a person chooses: an Elo on the scale the levels were measured on
// (BENCHMARKS.md, "Strength levels"). A level plays the full search with two handicaps
// that leave its moves plausible: a node budget, so that it sees tactics only a few
// plies deep, and a choice among its best root lines, so that now and then it prefers
// a move that looks nearly as good to it. Never a move that loses more than its margin
// by its own reckoning: weak levels lose to what they do not see. LevelSearch holds
// what a search at a level keeps: its lines at the last depth and the line shown last.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "board/move.h"
#include "board/relaxed.h"
#include "search/search.h"

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

// A search at a chosen strength: the level's node budget and lines go into the search
// options for its run, the lines of each completed depth are kept, and its move is
// chosen among them afterwards. Thread 0 runs all but newGame and setActive.
class LevelSearch {
public:
    // A GUI keeps the engine loaded from game to game: without a seed, each game's
    // choices come from a salt of its own.
    void newGame();
    // Whether the current search plays at a level: set before the threads wake (the
    // helpers then stay idle).
    bool active() const { return active_; }
    void setActive(bool on) { active_ = on; }
    // Puts the level of elo into options, keeping them for end.
    void begin(SearchOptions &options, int elo);
    // Gives options back and chooses the move among the lines (seed 0: the game's
    // salt); the line to show for it, unless the last line shown was it already.
    std::optional<LineReport> end(SearchOptions &options, SearchResult &result, int seed, uint64_t positionKey);
    // Keeps a root line the level weighs; false for one the caller did not ask to see.
    bool takeLine(const LineReport &line);
    // The line last shown, which the level's move must match to go unshown.
    void noteShown(const LineReport &line);
    void noteThinking(Move first, int score);

private:
    Relaxed<bool> active_ = false;
    StrengthLevel level_;  // the level of the current search, taken once at its start
    SearchOptions saved_;
    int shownLines_ = 1;
    int lineCount_ = 0;
    LineChoice lines_[STRENGTH_LINES];
    PrincipalVariation pvs_[STRENGTH_LINES];
    PrincipalVariation own_;
    int depth_ = 0, selDepth_ = 0;
    // The last line shown when it was the exact best line (else NO_MOVE): its first
    // move and score.
    Move shownMove_ = NO_MOVE;
    int shownScore_ = 0;
    Relaxed<uint64_t> salt_ = 0;
};
