// The pawn hash table: sizing, probing and storing.
#include "eval/pawnhash.h"

#include <algorithm>

namespace {

// Data word: weak mg (bits 0-15), weak eg (16-31), open files (32-39), half-open
// files (40-47); the top 16 bits stay zero.
uint64_t packData(const PawnEntryData &d) {
    return uint64_t(uint16_t(d.weak.mg())) | uint64_t(uint16_t(d.weak.eg())) << 16 | uint64_t(d.openFiles) << 32 |
           uint64_t(d.halfOpenFiles) << 40;
}

thread_local uint32_t hitLane = 0;

PawnEntryData unpackData(uint64_t w) {
    PawnEntryData d;
    d.weak = TermPair(int16_t(uint16_t(w)), int16_t(uint16_t(w >> 16)));
    d.openFiles = uint8_t(w >> 32);
    d.halfOpenFiles = uint8_t(w >> 40);
    return d;
}

}  // namespace

// Largest power of two n >= 1 with n entries fitting in sizeMB megabytes.
uint32_t PawnHashTable::entriesFor(uint32_t sizeMB) {
    const uint64_t bytes = uint64_t(std::min(sizeMB, MAX_SIZE_MB)) << 20;
    uint64_t n = 1;
    while (n * 2 * ENTRY_BYTES <= bytes) n *= 2;
    return uint32_t(n);
}

bool PawnHashTable::resize(uint32_t sizeMB) {
    const uint32_t n = entriesFor(sizeMB);
    // allocate() gives up the old block first, so two tables never coexist.
    void *raw = memory_.allocate(size_t(n) * sizeof(Entry));
    const bool ok = raw != nullptr;
    if (!ok) raw = memory_.allocate(sizeof(Entry));
    entries_ = static_cast<Entry *>(raw);  // zero-filled: every entry empty
    entryCount_ = !raw ? 0 : ok ? n : 1;
    mask_ = entryCount_ ? entryCount_ - 1 : 0;
    resetHits();
    return ok;
}

void PawnHashTable::clear() {
    for (uint32_t i = 0; i < entryCount_; ++i) {
        entries_[i].check.store(0);
        entries_[i].data.store(0);
    }
    resetHits();
}

void PawnHashTable::setHitLane(uint32_t threadIndex) { hitLane = threadIndex % HIT_LANES; }

void PawnHashTable::resetHits() {
    for (HitCounter &h : hits_) h.n.store(0, std::memory_order_relaxed);
}

uint64_t PawnHashTable::hits() const {
    uint64_t sum = 0;
    for (const HitCounter &h : hits_) sum += h.n.load(std::memory_order_relaxed);
    return sum;
}

double PawnHashTable::fillPercent() const {
    const uint32_t sample = std::min(entryCount_, 65536u);
    uint32_t used = 0;
    for (uint32_t i = 0; i < sample; ++i)
        if ((entries_[i].check.load() ^ entries_[i].data.load()) != 0)
            ++used;
    return used == 0 ? 0.0 : used * 100.0 / 65536.0;
}

bool PawnHashTable::probe(uint64_t key, PawnEntryData &out) {
    if (!entries_) return false;
    Entry &e = slot(key);
    const uint64_t data = e.data.load();
    const uint64_t check = e.check.load();
    if ((check ^ data) != key) return false;
    std::atomic<uint64_t> &hits = hits_[hitLane].n;
    hits.store(hits.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
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
