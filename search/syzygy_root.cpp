// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "search/syzygy_root.h"

#include "board/movegen.h"
#include "search/node.h"
#include "tablebase/syzygy_probe.h"

namespace {

bool isZeroing(const Board_BB64 &b, Move m) {
    return b.pieceOn[moveTo(m)] != 0 || moveKind(m) == EN_PASSANT || b.pieceOn[moveFrom(m)] == PAWN;
}

// The DTZ of root move m counted from the root; false when it cannot be probed.
bool rootMoveDtz(SearchState &st, Move m, int &d) {
    Board_BB64 &b = st.board;
    const bool zeroing = isZeroing(b, m);
    UndoInfo undo;
    b.makeMove(m, undo);
    int reason = DRAW_NONE;
    bool ok = true;
    TbRequest syzygyOnly;
    syzygyOnly.gaviota = false;
    if (zeroing) {
        const TbAnswer a = st.tablebase->probe(b, syzygyOnly);
        ok = a.found();
        d = szZeroingDtz(-a.wdl);
    } else if (isDraw(b, reason)) {
        d = 0;  // a repetition or the 50-move rule ends the game here
    } else {
        MoveList replies;
        const bool mates = generateAllLegal(b, replies) && replies.size() == 0;
        syzygyOnly.dtz = true;
        const TbAnswer a = st.tablebase->probe(b, syzygyOnly);
        const int v = a.dtz;
        ok = a.dtzKnown;
        d = mates ? 1 : v > 0 ? -v - 1 : v < 0 ? -v + 1 : 0;
    }
    b.unmakeMove(m, undo);
    if (ok) st.stats.tbHits.inc();
    return ok;
}

// Whether a with DTZ da is a better choice than b with db in the same class: the
// winner goes for the shortest way to the next zeroing move, the loser the longest.
bool preferred(int da, int db) { return da > 0 ? da < db : da < db; }

}  // namespace

void rankSyzygyRoot(SearchState &st, const std::function<bool(Move)> &allowed) {
    st.syzygyRoot.clear();
    st.syzygyRootScore = NO_SCORE;
    Board_BB64 &b = st.board;
    if (!st.tablebase) return;
    MoveList legal, kept;
    generateAllLegal(b, legal);
    int bestClass = -1, bestDtz = 0;
    for (const ScoredMove &sm : legal) {
        if (!allowed(sm.move)) continue;
        int d = 0;
        if (!rootMoveDtz(st, sm.move, d)) return;
        const int c = syzygyRootClass(d, b.halfmoveClock, st.tbUse.fiftyMoveRule);
        // Draws are all alike; within another class only the best DTZ stays.
        const bool better = c > bestClass || (c == bestClass && c != 2 && preferred(d, bestDtz));
        if (better) kept.clear(), bestClass = c, bestDtz = d;
        if (better || (c == bestClass && (c == 2 || d == bestDtz))) kept.add(sm.move);
    }
    if (bestClass < 0) return;
    st.syzygyRoot = kept;
    // The root's own answer is that of its best move; a win the rule spoils or a loss
    // it saves is shown as the draw it is.
    TbAnswer root;
    root.source = TbSource::SYZYGY;
    root.wdl = bestDtz > 0 ? 2 : bestDtz < 0 ? -2 : 0;
    root.dtzKnown = true;
    root.dtz = bestDtz;
    const bool rule = st.tbUse.fiftyMoveRule;
    st.syzygyRootScore = tbVerdict(root, b.halfmoveClock, rule) ? tbScore(root, 0, b.halfmoveClock, rule) : 0;
}
