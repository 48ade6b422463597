// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The search: iterative deepening over a principal variation search with a
// transposition table, run by each search thread on its own copy of the board.
//
// Running a fixed-depth search from a position (what "sd" + "go" come down to):
//
//     TranspositionTable tt(64);                // shared by every search thread
//     PawnHashTable pawnHash(8);                // likewise
//     SearchLimits limits;
//     limits.fixedDepth = true;
//     limits.maxDepth = 8;
//     limits.softMs = limits.hardMs = NO_TIME_LIMIT;   // the time plan: none
//     auto state = std::make_unique<SearchState>();   // large: keep it off the stack
//     state->threadIndex = 0;                   // thread 0 alone prints and stops others
//     state->tt = &tt;
//     state->eval.pawns = &pawnHash;
//     state->limits = &limits;
//     state->player = &myInterface;             // a SearchInterface: time-out test,
//                                               // thinking output, statistics
//     SearchResult r = iterativeDeepening(*state, gameBoard);
//     // r.bestMove, r.ponderMove (NO_MOVE when there is no legal move), r.aborted
//
// limits.options asks for more than the best move: several lines (reported through
// SearchInterface::reportLine), a restricted root, a mate target; the node limit is
// the time-out test's to apply.
//
// BasicSearchInterface (search/basic_interface.h) is a ready SearchInterface for a
// single thread without a time limit. initStaticTables() and initEvaluationTables()
// must have run before the first search. Helper threads run the same call with their
// own SearchState and threadIndex > 0 and are stopped through their stop flag.
#pragma once

#include <atomic>
#include <cstdint>

#include "board/board.h"
#include "eval/evaluate.h"
#include "search/limits.h"
#include "search/report.h"
#include "tablebase/answer.h"

class TranspositionTable;

// Why thread 0 ends a search after an iteration; several may hold at once.
enum class StopReason : uint8_t { FORCED_MOVE, EASY_MOVE, NO_TIME_FOR_ITERATION, FORCED_MATE, FORCED_DRAW, GETTING_MATED };

// One root line as the search reports it.
struct LineReport {
    int multiPv = 1;  // the line's rank, 1 = best
    int depth = 0;
    int selDepth = 0;  // deepest ply thread 0 reached in the iteration
    int score = 0;
    ScoreBound bound = ScoreBound::EXACT;
    const PrincipalVariation *pv = nullptr;
};

// What the search calls back on the player that owns it (thread 0 only). The search
// prints nothing itself: whoever implements this decides what to say.
class SearchInterface {
public:
    virtual ~SearchInterface() = default;
    // True when the search must stop for time; called at every node.
    virtual bool timeOut() = 0;
    // Milliseconds since the search was asked for, which the plan in SearchLimits
    // counts; any thread. An interface without a clock lets no time pass.
    virtual int64_t searchElapsedMs() { return 0; }
    // A new best line at the root.
    virtual void reportThinking(int depth, int score, const PrincipalVariation &pv) = 0;
    // A root line. With one line, line 1 as it changes during an iteration, exact or as
    // a bound after a fail of the aspiration window; with several, every line after
    // each iteration. Whoever wants no more than the new best lines keeps this default.
    virtual void reportLine(const LineReport &r) {
        if (r.multiPv == 1 && r.bound == ScoreBound::EXACT) reportThinking(r.depth, r.score, *r.pv);
    }
    // The root move about to be searched and its number among the root moves.
    virtual void reportCurrentMove(int depth, Move m, int number) {}
    // A reason to stop after the iteration; plies is the mate distance for the mate
    // reasons.
    virtual void reportStop(StopReason reason, Move best, int plies) {}
    // The search has ended (statistics).
    virtual void searchFinished() = 0;
    // A hash move that does not fit b (a key collision): not even pseudo-legal, or
    // pseudo-legal but leaving the own king in check. Unlike the reports above, any
    // search thread may call this.
    virtual void reportHashCollision(const Board_BB64 &b, Move m, bool pseudoLegal) {}
};

// What a probe may use: Gaviota's files or only its cache, Syzygy (which the search
// asks only where the clock has just been reset), and Syzygy's DTZ besides its WDL.
struct TbRequest {
    bool mayReadFiles = true;
    bool gaviota = true;
    bool syzygy = true;
    bool dtz = false;
};

// The limits of one search's probes: no position of more than `men` men is in a table
// (0: no tables); Syzygy is asked with at least `depth` plies left, and cursed wins and
// blessed losses count as draws while the 50-move rule is on.
struct TablebaseUse {
    int men = 0;
    int depth = 1;
    bool fiftyMoveRule = true;
};

// The endgame tablebases as the search sees them; absent (null) when none are loaded.
class TablebaseProbe {
public:
    virtual ~TablebaseProbe() = default;
    // The answer of the prober that covers b among those the request allows (Gaviota
    // first where both do); none (source NONE) when none can answer. b is changed and
    // restored.
    virtual TbAnswer probe(Board_BB64 &b, const TbRequest &r) = 0;
    virtual TablebaseUse use() = 0;
};

// Everything one search thread owns. Allocate it once per thread and reuse it.
struct SearchState {
    uint32_t threadIndex = 0;
    Board_BB64 board;
    // Set by the front end or thread 0 from other threads, polled at every node.
    std::atomic<bool> stop{false};
    std::atomic<bool> abort{false};
    bool easyMove = false;

    TranspositionTable *tt = nullptr;
    EvalTables eval;  // the shared pawn hash and this thread's own caches
    TablebaseProbe *tablebase = nullptr;
    SearchLimits *limits = nullptr;
    SearchInterface *player = nullptr;

    SearchStats stats;
    int iterationDepth = 0;
    int selDepth = 0;  // deepest ply reached in the current iteration
    // The root of this search pass: restricted to the options' root moves, and without
    // the first moves of the lines already found in the iteration (several lines).
    bool restricted = false;
    int multiPv = 1;
    Move excluded[MAX_MULTI_PV] = {};
    int excludedCount = 0;
    int64_t firstMovesMs = 0;  // spent on the first two root moves of the last deep iteration
    // The root moves the Syzygy DTZ ranking keeps (none: no ranking), the score the
    // ranking gives the root (NO_SCORE: none), and the limits of this search's probes.
    MoveList syzygyRoot;
    int syzygyRootScore = NO_SCORE;
    TablebaseUse tbUse;

    bool stopped() const { return stop.load(std::memory_order_relaxed); }
    void requestStop() { stop.store(true, std::memory_order_relaxed); }
};

// Thread 0's result: the best line's first two moves, its score and the last depth
// that completed. Helpers return nothing; a search that was aborted says so but still
// hands back the best move found so far.
struct SearchResult {
    Move bestMove = NO_MOVE;
    Move ponderMove = NO_MOVE;
    int score = 0;
    int depth = 0;
    bool aborted = false;
};

// Searches the side to move of game; the state's board becomes a copy of it. The stop
// and abort flags are cleared first unless clearFlags is false (a thread pool that
// clears them when it wakes the thread, so a stop sent in between is not lost).
SearchResult iterativeDeepening(SearchState &state, const Board_BB64 &game, bool clearFlags = true);

// Mate-distance bounds of a node at the given ply: the worst and best scores still
// possible there. A bare king cannot mate, so its side's best (or the opponent's
// worst) is a draw.
struct MateBounds {
    int low;
    int high;
};
MateBounds mateBounds(const Board_BB64 &b, int ply);
