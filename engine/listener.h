// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// What the engine core reports while it plays: a face (XBoard, UCI) implements this and
// turns each report into its protocol's words. The core itself prints nothing a
// protocol defines.
#pragma once

#include <cstdint>

#include "search/report.h"
#include "search/search.h"

// A root line (thread 0): a new best line, a bound after an aspiration fail, or with
// several lines each line after an iteration.
struct IterationReport {
    int multiPv = 1;
    int depth = 0;
    int selDepth = 0;
    int score = 0;
    ScoreBound bound = ScoreBound::EXACT;
    int32_t elapsedCs = 0;
    int64_t elapsedMs = 0;  // the same, to the millisecond, from the request
    uint64_t nodes = 0;  // all threads
    uint64_t tbHits = 0;  // all threads
    const PrincipalVariation *pv = nullptr;
};

// The counters of all threads and the tables' state when a search ends.
struct SearchSummary {
    StatsTotals totals;
    int32_t elapsedCs = 0;
    int64_t elapsedMs = 0;
    double ttFillPercent = 0.0;
    double pawnFillPercent = 0.0;
    uint64_t pawnHashHits = 0;
};

// How the budget of a timed search came about (centiseconds).
struct BudgetReport {
    int64_t movesPerSession = 0, timePerSession = 0, increment = 0;
    int64_t ply = 0, fullMoveNumber = 0, remainingMoves = 0, nSessions = 0;
    int64_t total = 0, elapsed = 0, remaining = 0, available = 0;
    int32_t maxTime = 0;
};

// Later corrections of the budget: the first search out of the book may think longer;
// with an increment the budget is capped below the clock.
enum class BudgetChange : uint8_t { OUT_OF_BOOK, CLOCK_GUARD };

// The game's end as the core judges it after a move.
enum class GameEnd : uint8_t { NONE, WHITE_MATES, BLACK_MATES, STALEMATE, INSUFFICIENT_MATERIAL };

// The hash tables the player keeps.
enum class HashTableKind : uint8_t { TRANSPOSITION, PAWN };

// A table made anew or cleared: its size (whole megabytes) and whether any memory was
// had for it; cut: smaller than the requestedMB its setting asked for would make, as
// this machine has not the memory (the largest size it could have).
struct TableSizeReport {
    HashTableKind table = HashTableKind::TRANSPOSITION;
    uint32_t sizeMB = 0, requestedMB = 0;
    bool allocated = true, cut = false;
};

// The thread count after a request ("cores", the ini file, an option).

class EngineListener {
public:
    virtual ~EngineListener() = default;
    virtual void onIteration(const IterationReport &r) = 0;
    // Every root line; a face that shows only the exact best line keeps this default.
    virtual void onLine(const IterationReport &r) {
        if (r.multiPv == 1 && r.bound == ScoreBound::EXACT) onIteration(r);
    }
    // The root move thread 0 starts to search, numbered from 1 among the root moves.
    virtual void onCurrentMove(int depth, Move move, int number, int32_t elapsedCs) {}
    virtual void onStopReason(StopReason reason, Move best, int plies) = 0;
    virtual void onTimeout() = 0;
    virtual void onSearchFinished(const SearchSummary &s) = 0;
    virtual void onBudget(const BudgetReport &b) = 0;
    virtual void onBudgetChange(BudgetChange change, int32_t maxTime) = 0;
    // A table was made anew or cleared, or its next size is announced.
    virtual void onTableSize(const TableSizeReport &r) = 0;
    // A hash move that did not fit the position it was found for (a key collision):
    // not even pseudo-legal, or leaving the own king in check. Any search thread.
    virtual void onHashCollision(const Board_BB64 &b, Move m, bool pseudoLegal) {}
    // A read of the book file failed; errorNumber is the system's (errno). Thread 0.
    virtual void onBookError(int errorNumber) {}
    // Exactly once per search, on thread 0, also when the search was stopped or found
    // no move (bestMove NO_MOVE). analysis: the search had no budget. The thread counts
    // as busy until this returns, so the game does not change meanwhile.
    virtual void onBestMove(const SearchResult &r, bool analysis) = 0;
};
