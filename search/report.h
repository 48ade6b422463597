// Principal variations and the per-thread search counters.
#pragma once

#include <atomic>
#include <cstdint>

#include "board/move.h"

constexpr int MAX_PV_LENGTH = 63;

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

// A counter written by its own thread and read by others without a lock. A relaxed
// load and store compile to a plain increment; a reader may see a slightly old value.
struct RelaxedCounter {
    std::atomic<uint64_t> v{0};
    uint64_t load() const { return v.load(std::memory_order_relaxed); }
    void inc() { v.store(v.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed); }
    void reset() { v.store(0, std::memory_order_relaxed); }
};

struct SearchStats {
    RelaxedCounter nodes;
    RelaxedCounter qsNodes;
    RelaxedCounter qsChecks;
    RelaxedCounter cutoffs;
    RelaxedCounter firstMoveCutoffs;
    RelaxedCounter qsCutoffs;
    RelaxedCounter qsFirstMoveCutoffs;
    RelaxedCounter ttHashHits;
    RelaxedCounter tbHits;

    void reset();
};

// Plain sums of the counters of several threads.
struct StatsTotals {
    uint64_t nodes = 0, qsNodes = 0, qsChecks = 0, cutoffs = 0, firstMoveCutoffs = 0;
    uint64_t qsCutoffs = 0, qsFirstMoveCutoffs = 0, ttHashHits = 0, tbHits = 0;

    void add(const SearchStats &s);
};
