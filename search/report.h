// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Principal variations and the per-thread search counters.
#pragma once

#include <cstdint>

#include "board/move.h"
#include "board/relaxed.h"

constexpr int MAX_PV_LENGTH = 63;

// Whether a reported root score is the line's value or only a bound on it: a score
// that failed high (LOWER) or low (UPPER) on the aspiration window.
enum class ScoreBound : uint8_t { EXACT, LOWER, UPPER };

struct PrincipalVariation {
    Move moves[MAX_PV_LENGTH];
    uint16_t length = 0;

    Move first() const { return length ? moves[0] : NO_MOVE; }
    // This line without its first move (empty when it has none to spare).
    void setToRest(const PrincipalVariation &from);
    // The line to try first below move m of `line`: its rest when m is its first move;
    // otherwise this line stays as it is.
    void setToRestAfter(Move m, const PrincipalVariation &line) {
        if (line.length > 1 && m == line.moves[0]) setToRest(line);
    }
    // m followed by as much of child as fits.
    void setLine(Move m, const PrincipalVariation &child);
    void setSingle(Move m) {
        moves[0] = m;
        length = 1;
    }
};

struct SearchStats {
    Relaxed<uint64_t> nodes = 0;
    Relaxed<uint64_t> qsNodes = 0;
    Relaxed<uint64_t> qsChecks = 0;
    Relaxed<uint64_t> cutoffs = 0;
    Relaxed<uint64_t> firstMoveCutoffs = 0;
    Relaxed<uint64_t> qsCutoffs = 0;
    Relaxed<uint64_t> qsFirstMoveCutoffs = 0;
    Relaxed<uint64_t> ttHashHits = 0;
    Relaxed<uint64_t> tbHits = 0;

    void reset();
};

// Plain sums of the counters of several threads.
struct StatsTotals {
    uint64_t nodes = 0, qsNodes = 0, qsChecks = 0, cutoffs = 0, firstMoveCutoffs = 0;
    uint64_t qsCutoffs = 0, qsFirstMoveCutoffs = 0, ttHashHits = 0, tbHits = 0;

    void add(const SearchStats &s);
};
