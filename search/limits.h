// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The clock and the limits of a search, shared by the front end (which writes them
// between searches, and "time"/"level" even during one) and the search (which reads
// them). The engine clock counts centiseconds; a search's own budget and start are
// kept in milliseconds, so that a short fixed move time is kept to the millisecond.
#pragma once

#include <cstdint>

#include "board/move.h"
#include "board/relaxed.h"

constexpr int MAX_MULTI_PV = 64;
constexpr int MAX_ROOT_MOVES = 256;

// What a search looks for besides the clock, for faces that offer it. The defaults are
// the plain search: one line, every root move, no mate or node target. Written by the
// front end between searches only, so plain values serve.
struct SearchOptions {
    int multiPv = 1;                        // lines wanted, 1..MAX_MULTI_PV
    Move rootMoves[MAX_ROOT_MOVES] = {};    // the root moves allowed; none listed: all
    int rootMoveCount = 0;
    int mateMoves = 0;                      // stop at a proven mate in this many moves; 0: none
    uint64_t nodeLimit = 0;                 // stop after about this many nodes, all threads; 0: none
    bool analysis = false;                  // the position is studied: always searched, never a book move
    // A root of one move (one legal or one allowed) is played after depth 1 only when
    // the engine's move is on the clock and not analysed; otherwise it is searched to
    // the limit asked for, as any root. Off: it ends every search after depth 1.
    bool forcedMoveOnClock = false;
};

struct SearchLimits {
    Relaxed<bool> clockRunning = false;
    Relaxed<uint32_t> elapsed = 0;             // engine time used while the clock was last stopped
    Relaxed<uint32_t> clockStart = 0;          // timestamp of the last clock start
    Relaxed<uint32_t> searchStartElapsed = 0;  // used time when the current search began
    Relaxed<int64_t> searchStartMs = 0;        // steadyMs() when the current search was asked for
    Relaxed<int64_t> maxTimeMs = 0;            // budget of the current search, ms
    Relaxed<bool> exactBudget = false;         // the whole budget is spent (a fixed move time)
    Relaxed<uint32_t> movesPerSession = 40;    // 0 = whole game
    Relaxed<uint32_t> timePerSession = 30000;
    Relaxed<uint32_t> increment = 0;
    Relaxed<bool> timed = true;       // false in analysis: no budget applies
    Relaxed<bool> fixedDepth = false; // stop after the iteration of depth maxDepth
    Relaxed<uint32_t> maxDepth = 0;
    SearchOptions options;
};

// Centiseconds on a monotonic clock, truncated to 32 bits: only for measuring time
// spent (unsigned differences stay right across the wrap), not a time of day.
uint32_t timestampNow();
// Engine time used so far, including the running period of the clock.
uint32_t currentElapsed(const SearchLimits &limits);
// Starts the engine clock unless it runs already.
void startClock(SearchLimits &limits);
// Stops a running clock, adding the period it ran to the time used.
void stopClock(SearchLimits &limits);
// Milliseconds on the same monotonic clock, for the search's budget.
int64_t steadyMs();
// Milliseconds since the search was asked for.
inline int64_t searchElapsedMs(const SearchLimits &limits) { return steadyMs() - limits.searchStartMs; }
// Time used since the search started, as a signed number of centiseconds.
inline int32_t searchElapsed(const SearchLimits &limits) {
    return int32_t(currentElapsed(limits) - limits.searchStartElapsed);
}
