// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The engine's hash tables: the transposition table and the pawn hash, their sizes as
// asked for, as made and as last told to the face, and the evaluation on the pawn hash.
// The search threads reach the tables through their SearchState pointers, never
// through this object.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "board/board.h"
#include "engine/listener.h"
#include "eval/breakdown.h"

class PawnHashTable;
class TranspositionTable;

class HashTables {
public:
    explicit HashTables(EngineListener *listener);
    ~HashTables();

    // Creates, resizes or clears both tables for the sizes asked for (MB). A new block
    // is faulted in on background threads; waitUntilReady() waits for them. Tables are
    // made only here, so a process that never plays touches none of their memory.
    void prepare(bool clearTables, uint32_t ttMB, uint32_t pawnMB);
    // Tells the listener the sizes the next prepare will make, without making them:
    // that prepare then tells only what differs (a failure).
    void announce(uint32_t ttMB, uint32_t pawnMB);
    // Returns once every table made so far is in memory: nothing is left for a search
    // to wait for. Not during a search.
    void waitUntilReady();

    // The tables made so far (nullptr: none yet).
    TranspositionTable *tt() { return tt_.get(); }
    PawnHashTable *pawnHash() { return pawnHash_.get(); }
    // The transposition table's fill in per mille, from a sample (cheap to read while
    // the search runs).
    int hashFullPermille() const;
    // The fill of both tables and the pawn hash's hits, for the search's statistics.
    void addFill(SearchSummary &s) const;
    // The evaluation of b term by term on the pawn hash; made now at the size announced
    // (pawnMB, the setting, when none was) unless a search is running (searchBusy) or
    // made it already.
    EvalBreakdown evaluation(const Board_BB64 &b, bool searchBusy, uint32_t pawnMB);

private:
    void tellTableSize(const TableSizeReport &r, bool cleared, uint32_t &toldMB);
    void prepareTransposition(bool clearTables, uint32_t asked);
    void preparePawnHash(bool clearTables, uint32_t asked);

    EngineListener *listener_;
    // Sizes made (0: none yet), the requests they were made for (a request rounded down
    // is not made again before every search) and the sizes last told to the listener.
    std::unique_ptr<TranspositionTable> tt_;
    uint32_t ttCurrentMB_ = 0, ttRequestedMB_ = 0, ttToldMB_ = 0;
    std::unique_ptr<PawnHashTable> pawnHash_;
    uint32_t pawnHashCurrentMB_ = 0, pawnHashRequestedMB_ = 0, pawnToldMB_ = 0;
    uint32_t pawnAnnouncedMB_ = 0;  // the request announce told (0: none)
};
