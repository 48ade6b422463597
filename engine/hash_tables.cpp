// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Making, clearing and announcing the transposition table and the pawn hash.
#include "engine/hash_tables.h"

#include "eval/pawnhash.h"
#include "platform/memory.h"
#include "search/tt.h"

namespace {

uint32_t affordableMB(uint32_t requestedMB) { return tableMBWithin(requestedMB, physicalMemoryBytes()); }

}  // namespace

HashTables::HashTables(EngineListener *listener) : listener_(listener) {}

HashTables::~HashTables() = default;

// A table is reported when it is cleared, when it has no memory, and when its size is
// not the one last told (announce may have told it before it was made).
void HashTables::tellTableSize(const TableSizeReport &r, bool cleared, uint32_t &toldMB) {
    if (!cleared && r.allocated && r.sizeMB == toldMB) return;
    listener_->onTableSize(r);
    toldMB = r.sizeMB;
}

void HashTables::prepare(bool clearTables, uint32_t ttMB, uint32_t pawnMB) {
    prepareTransposition(clearTables, ttMB);
    preparePawnHash(clearTables, pawnMB);
}

// A cleared table keeps its memory when its size stays: mapping a new block would
// leave its pages to be faulted in by the next search, inside the clock. Either way the
// size is reported again and nothing of the previous game survives. A request that was
// rounded down (or cut to the machine) is not made again before every search.
void HashTables::prepareTransposition(bool clearTables, uint32_t asked) {
    if (!tt_) tt_ = std::make_unique<TranspositionTable>();
    const uint32_t full = TranspositionTable::sizeMBFor(asked);
    const bool changed = asked != ttRequestedMB_ && asked != ttCurrentMB_;
    const bool remade = (changed || (clearTables && !tt_->entryCount())) && tt_->resize(affordableMB(asked));
    if (remade) {
        const bool allocated = tt_->entryCount() != 0;
        const uint32_t size = allocated ? tt_->sizeMB() : TranspositionTable::sizeMBFor(affordableMB(asked));
        tellTableSize({HashTableKind::TRANSPOSITION, size, asked, allocated, size < full}, clearTables, ttToldMB_);
    } else if (clearTables) {
        tt_->clear();
        tellTableSize({HashTableKind::TRANSPOSITION, tt_->sizeMB(), asked, true, tt_->sizeMB() < full}, true,
                      ttToldMB_);
    }
    if (remade || changed) ttRequestedMB_ = asked;
    ttCurrentMB_ = tt_->sizeMB();
}

void HashTables::preparePawnHash(bool clearTables, uint32_t asked) {
    if (!pawnHash_) pawnHash_ = std::make_unique<PawnHashTable>();
    const bool resize = (asked != pawnHashRequestedMB_ && asked != pawnHashCurrentMB_) || !pawnHash_->entryCount();
    if (clearTables || resize) {
        if (resize) pawnHash_->resize(affordableMB(asked));
        else pawnHash_->clear();
        const uint32_t size = pawnHash_->sizeMB();
        const TableSizeReport r{HashTableKind::PAWN, size, asked, pawnHash_->entryCount() != 0,
                                size < PawnHashTable::sizeMBFor(asked)};
        tellTableSize(r, clearTables, pawnToldMB_);
        pawnHashRequestedMB_ = asked;
    }
    pawnHashCurrentMB_ = pawnHash_->sizeMB();
}

void HashTables::announce(uint32_t ttMB, uint32_t pawnMB) {
    pawnAnnouncedMB_ = pawnMB;
    const uint32_t ttSize = TranspositionTable::sizeMBFor(affordableMB(ttMB));
    const uint32_t pawnSize = PawnHashTable::sizeMBFor(affordableMB(pawnMB));
    tellTableSize({HashTableKind::TRANSPOSITION, ttSize, ttMB, true, ttSize < TranspositionTable::sizeMBFor(ttMB)},
                  false, ttToldMB_);
    tellTableSize({HashTableKind::PAWN, pawnSize, pawnMB, true, pawnSize < PawnHashTable::sizeMBFor(pawnMB)}, false,
                  pawnToldMB_);
}

// A new block is faulted in on background threads (a large one takes a tenth of a
// second or more); whoever needs it whole waits here.
void HashTables::waitUntilReady() {
    if (tt_) tt_->waitFaulted();
    if (pawnHash_) pawnHash_->waitFaulted();
}

int HashTables::hashFullPermille() const { return tt_ ? int(tt_->fillPercent() * 10.0 + 0.5) : 0; }

void HashTables::addFill(SearchSummary &s) const {
    s.ttFillPercent = tt_ ? tt_->fillPercent() : 0.0;
    s.pawnFillPercent = pawnHash_ ? pawnHash_->fillPercent() : 0.0;
    s.pawnHashHits = pawnHash_ ? pawnHash_->hits() : 0;
}

// A search made the pawn hash before it began; otherwise it is made here, so that the
// evaluation finds what the previous ones stored. It gets the size announced (as if
// made then): a size set since is still the next search's to make and to tell.
EvalBreakdown HashTables::evaluation(const Board_BB64 &b, bool searchBusy, uint32_t pawnMB) {
    if (!searchBusy && (!pawnHash_ || !pawnHash_->entryCount()))
        preparePawnHash(false, pawnAnnouncedMB_ ? pawnAnnouncedMB_ : pawnMB);
    if (pawnHash_) return evaluationBreakdown(b, *pawnHash_);
    PawnHashTable scratch(1);
    return evaluationBreakdown(b, scratch);
}
