// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The limits of a search: its time plan, a depth, the root moves allowed and the other
// targets. The player (engine/time_manager) writes the plan; the search's stop rules
// read it while they run, so what can change during a search is atomic.
#pragma once

#include <cstdint>

#include "board/move.h"
#include "board/relaxed.h"

constexpr int MAX_MULTI_PV = 64;
constexpr int MAX_ROOT_MOVES = 256;
// A plan limit that is never reached: a search until stopped, or no early stop.
constexpr int64_t NO_TIME_LIMIT = INT64_MAX;

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

// The plan counts milliseconds from the moment the search was asked for (the search
// measures them through SearchInterface::searchElapsedMs). Past softMs no new iteration
// is worth starting and an easy move may be played (both reckon with softMs); at hardMs
// the time-out test ends the search. A plan of zero, the default, leaves a search
// whose interface keeps no time (searchElapsedMs 0) to its depth and the easy move.
struct SearchLimits {
    Relaxed<int64_t> softMs = 0;
    Relaxed<int64_t> hardMs = 0;
    Relaxed<bool> fixedDepth = false; // stop after the iteration of depth maxDepth
    Relaxed<uint32_t> maxDepth = 0;
    SearchOptions options;
};

// Centiseconds on a monotonic clock, truncated to 32 bits: only for measuring time
// spent (unsigned differences stay right across the wrap), not a time of day.
uint32_t timestampNow();
// Milliseconds on the same monotonic clock.
int64_t steadyMs();
