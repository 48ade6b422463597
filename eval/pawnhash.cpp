// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The pawn hash table: sizing, probing and storing.
#include "eval/pawnhash.h"


namespace {

// Data word: weak mg (bits 0-15), weak eg (16-31), open files (32-39), half-open
// files (40-47); the top 16 bits stay zero.
uint64_t packData(const PawnEntryData &d) {
    return uint64_t(uint16_t(d.weak.mg())) | uint64_t(uint16_t(d.weak.eg())) << 16 | uint64_t(d.openFiles) << 32 |
           uint64_t(d.halfOpenFiles) << 40;
}

PawnEntryData unpackData(uint64_t w) {
    PawnEntryData d;
    d.weak = TermPair(int16_t(uint16_t(w)), int16_t(uint16_t(w >> 16)));
    d.openFiles = uint8_t(w >> 32);
    d.halfOpenFiles = uint8_t(w >> 40);
    return d;
}

}  // namespace

bool PawnHashTable::resize(uint32_t sizeMB) {
    allocate(sizeMB);
    mask_ = entryCount_ ? uint32_t(entryCount_ - 1) : 0;
    resetHits();
    return entryCount_ == entriesFor(sizeMB);
}

void PawnHashTable::clear() {
    clearEntries();
    resetHits();
}

void PawnHashTable::resetHits() {
    for (HitCounter &h : hits_) h.n = 0;
}

uint64_t PawnHashTable::hits() const {
    uint64_t sum = 0;
    for (const HitCounter &h : hits_) sum += h.n.load();
    return sum;
}

double PawnHashTable::fillPercent() const {
    return sampledFill([](const Entry &e) { return (e.check.load() ^ e.data.load()) != 0; });
}

bool PawnHashTable::probe(uint64_t key, PawnEntryData &out, uint32_t hitLane) {
    if (!entries_) return false;
    Entry &e = slot(key);
    const uint64_t data = e.data.load();
    const uint64_t check = e.check.load();
    if ((check ^ data) != key) return false;
    hits_[hitLane % HIT_LANES].n.inc();
    out = unpackData(data);
    return true;
}

void PawnHashTable::store(uint64_t key, const PawnEntryData &d) {
    if (!entries_) return;
    Entry &e = slot(key);
    const uint64_t data = packData(d);
    e.check.store(key ^ data);
    e.data.store(data);
}
