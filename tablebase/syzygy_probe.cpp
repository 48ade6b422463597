// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "tablebase/syzygy_probe.h"

#include <algorithm>

#include "board/movegen.h"

namespace {

bool isCapture(const Board_BB64 &b, Move m) { return b.pieceOn[moveTo(m)] != 0 || moveKind(m) == EN_PASSANT; }
bool isZeroing(const Board_BB64 &b, Move m) { return isCapture(b, m) || b.pieceOn[moveFrom(m)] == PAWN; }

bool covered(const SyzygyTables &tables, const Board_BB64 &b) {
    return b.castlingRights == 0 && popCount(b.occupied()) <= tables.maxMen();
}

// The child's value for the mover, or false.
template <class Probe> bool afterMove(Board_BB64 &b, Move m, Probe probe, int &value) {
    UndoInfo undo;
    b.makeMove(m, undo);
    const bool ok = probe(b, value);
    b.unmakeMove(m, undo);
    value = -value;
    return ok;
}

// The best of the moves the filter picks (counted in n), stopping at a win; false if a
// child cannot be probed.
template <class Filter>
bool bestChild(const SyzygyTables &tables, Board_BB64 &b, const MoveList &list, Filter pick, int &best, int &n) {
    best = -3, n = 0;
    for (const ScoredMove &sm : list) {
        if (!pick(b, sm.move)) continue;
        ++n;
        int v;
        if (!afterMove(b, sm.move, [&](Board_BB64 &c, int &w) { return szProbeWdl(tables, c, w); }, v)) return false;
        best = std::max(best, v);
        if (best == 2) break;
    }
    return true;
}

// The WDL counting zeroing moves too, and whether a zeroing move reaches it.
bool zeroingWdl(const SyzygyTables &tables, Board_BB64 &b, const MoveList &list, int &wdl, bool &zeroing) {
    int best, n;
    if (!bestChild(tables, b, list, isZeroing, best, n)) return false;
    if (best == 2 || (n > 0 && n == int(list.size()))) {
        wdl = best, zeroing = true;
        return true;
    }
    int stored;
    if (tables.tableWdl(b, stored) != SzLookup::FOUND) return false;
    wdl = std::max(best, stored);
    zeroing = best >= stored && best > 0;
    return true;
}

// DTZ of a position whose table keeps the other side to move: one ply further.
bool searchDtz(const SyzygyTables &tables, Board_BB64 &b, const MoveList &list, int wdl, int &dtz) {
    int best = 0;
    for (const ScoredMove &sm : list) {
        const Move m = sm.move;
        int d;
        if (isZeroing(b, m)) {
            int v;
            if (!afterMove(b, m, [&](Board_BB64 &c, int &w) { return szProbeWdl(tables, c, w); }, v)) return false;
            d = szZeroingDtz(v);
        } else {
            UndoInfo undo;
            b.makeMove(m, undo);
            MoveList replies;
            const bool mated = generateAllLegal(b, replies) && replies.size() == 0;
            const bool ok = szProbeDtz(tables, b, d);
            b.unmakeMove(m, undo);
            if (!ok) return false;
            d = -d;
            d += d > 0 ? 1 : d < 0 ? -1 : 0;
            if (d == 2 && mated) d = 1;
        }
        if (d != 0 && (d > 0) == (wdl > 0) && (best == 0 || d < best)) best = d;
    }
    dtz = best != 0 ? best : -1;
    return true;
}

}  // namespace

bool szProbeWdl(const SyzygyTables &tables, Board_BB64 &b, int &wdl) {
    if (!covered(tables, b)) return false;
    MoveList list;
    generateAllLegal(b, list);
    int best, n;
    if (!bestChild(tables, b, list, isCapture, best, n)) return false;
    // When every move captures, the table (which sees the position without them)
    // has nothing to add; without the rule a forced losing en passant would read as
    // the table's mate or stalemate.
    if (best == 2 || (n > 0 && n == int(list.size()))) {
        wdl = best;
        return true;
    }
    int stored;
    if (tables.tableWdl(b, stored) != SzLookup::FOUND) return false;
    wdl = std::max(best, stored);
    return true;
}

bool szProbeDtz(const SyzygyTables &tables, Board_BB64 &b, int &dtz) {
    if (!covered(tables, b)) return false;
    MoveList list;
    generateAllLegal(b, list);
    int wdl;
    bool zeroing;
    if (!zeroingWdl(tables, b, list, wdl, zeroing)) return false;
    if (wdl == 0 || zeroing) {
        dtz = szZeroingDtz(wdl);
        return true;
    }
    switch (tables.tableDtz(b, wdl, dtz)) {
    case SzLookup::FOUND: return true;
    case SzLookup::NOT_STORED: return searchDtz(tables, b, list, wdl, dtz);
    default: return false;
    }
}
