// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Principal variation bookkeeping and counter sums.
#include "search/report.h"


void PrincipalVariation::setToRest(const PrincipalVariation &from) {
    length = from.length > 1 ? uint16_t(from.length - 1) : 0;
    for (uint16_t i = 0; i < length; ++i) moves[i] = from.moves[i + 1];
}

void PrincipalVariation::setLine(Move m, const PrincipalVariation &child) {
    moves[0] = m;
    const uint16_t rest = child.length < MAX_PV_LENGTH - 1 ? child.length : uint16_t(MAX_PV_LENGTH - 1);
    for (uint16_t i = 0; i < rest; ++i) moves[i + 1] = child.moves[i];
    length = uint16_t(rest + 1);
}

void SearchStats::reset() {
    for (Relaxed<uint64_t> *c : {&nodes, &qsNodes, &qsChecks, &cutoffs, &firstMoveCutoffs, &qsCutoffs,
                              &qsFirstMoveCutoffs, &ttHashHits, &tbHits})
        c->store(0);
}

void StatsTotals::add(const SearchStats &s) {
    nodes += s.nodes.load();
    qsNodes += s.qsNodes.load();
    qsChecks += s.qsChecks.load();
    cutoffs += s.cutoffs.load();
    firstMoveCutoffs += s.firstMoveCutoffs.load();
    qsCutoffs += s.qsCutoffs.load();
    qsFirstMoveCutoffs += s.qsFirstMoveCutoffs.load();
    ttHashHits += s.ttHashHits.load();
    tbHits += s.tbHits.load();
}
