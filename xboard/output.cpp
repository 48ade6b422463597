// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The XBoard face's output lines. Each is put together first and written with one
// call: the command loop prints on its own thread ("pong", diagnostics), and a line
// must never be cut by it.
#include "xboard/output.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "board/movegen.h"

void printThinkingLine(uint32_t depth, int score, int32_t elapsedCs, uint64_t nodes, const PrincipalVariation &pv,
                       const MoveNotation &notation) {
    char line[64 + MAX_PV_LENGTH * 6];
    int n = std::snprintf(line, sizeof line, "%u %d %d %" PRIu64, depth, score, elapsedCs, nodes);
    char text[6];
    for (uint16_t i = 0; i < pv.length && i < MAX_PV_LENGTH; ++i) {
        moveToText(pv.moves[i], notation, text);
        n += std::snprintf(line + n, sizeof line - size_t(n), " %s", text);
    }
    std::snprintf(line + n, sizeof line - size_t(n), "\n");
    std::fputs(line, stdout);
}

namespace {

uint64_t percent(uint64_t part, uint64_t whole) { return whole ? part * 100 / whole : 0; }

}  // namespace

void printStatistics(const StatsTotals &t, int32_t elapsedCs, double ttFillPercent, double pawnFillPercent,
                     uint64_t pawnHashHits) {
    const uint64_t nps = elapsedCs > 0 ? t.nodes * 100 / uint64_t(elapsedCs) : 0;
    const uint64_t all = t.cutoffs + t.qsCutoffs, allFirst = t.firstMoveCutoffs + t.qsFirstMoveCutoffs;
    // The fill values go through a stream so they print in its default float format.
    std::ostringstream out;
    out << "# total nodes = " << t.nodes << ", QS nodes = " << t.qsNodes << " (" << percent(t.qsNodes, t.nodes)
        << "%), time = " << elapsedCs << ", nps = " << nps << "\n"
        << "# QS checks = " << t.qsChecks << "\n"
        << "# cutoffs = " << t.cutoffs << ", cutoffs on 1st move = " << t.firstMoveCutoffs << " ("
        << percent(t.firstMoveCutoffs, t.cutoffs) << "%)\n"
        << "# qsCutoffs = " << t.qsCutoffs << ", qsCutoffs on 1st move = " << t.qsFirstMoveCutoffs << " ("
        << percent(t.qsFirstMoveCutoffs, t.qsCutoffs) << "%)\n"
        << "# allCutoffs = " << all << ", all cutoffs on 1st move = " << allFirst << " (" << percent(allFirst, all)
        << "%)\n"
        << "# ttHashFull% = " << ttFillPercent << ", ttHashHits = " << t.ttHashHits << "\n"
        << "# pawnHashFull% = " << pawnFillPercent << ", pawnHashHits = " << pawnHashHits << "\n"
        << "# tbHits = " << t.tbHits << "\n";
    std::fputs(out.str().c_str(), stdout);
    std::fflush(stdout);
}

void printBudget(const BudgetReport &b) {
    char text[512];
    std::snprintf(text, sizeof text,
                  "# movesPerSession=%" PRId64 " timePerSession=%" PRId64 " increment=%" PRId64 "\n"
                  "# ply=%" PRId64 " fullMoveNumber=%" PRId64 " remainingMoves=%" PRId64 " nSessions=%" PRId64 "\n"
                  "# total=%" PRId64 " elapsed=%" PRId64 " remaining=%" PRId64 " available=%" PRId64 " max=%d\n"
                  "# set maxTime = %d\n",
                  b.movesPerSession, b.timePerSession, b.increment, b.ply, b.fullMoveNumber, b.remainingMoves,
                  b.nSessions, b.total, b.elapsed, b.remaining, b.available, b.maxTime, b.maxTime);
    std::fputs(text, stdout);
    std::fflush(stdout);
}

void printBudgetChange(BudgetChange change, int32_t maxTime) {
    if (change == BudgetChange::OUT_OF_BOOK) std::printf("# out of book: corrected maxTime = %d\n", maxTime);
    else std::printf("# clock guard: maxTime = %d\n", maxTime);
    std::fflush(stdout);
}

void printTableSize(HashTableKind table, uint32_t sizeMB, bool allocated) {
    const char *name = table == HashTableKind::TRANSPOSITION ? "TT hash" : "Pawn hash";
    std::printf("# new size of %s: %u MB\n", name, sizeMB);
    // Without memory the engine searches without a transposition table; the pawn
    // table falls back in silence.
    if (!allocated && table == HashTableKind::TRANSPOSITION) std::printf("# could not allocate the TT hash\n");
    std::fflush(stdout);
}

void printStopReason(StopReason reason, Move best, int plies, const MoveNotation &notation) {
    char move[6];
    moveToText(best, notation, move);
    switch (reason) {
    case StopReason::FORCED_MOVE: std::printf("# forced move: %s\n", move); break;
    case StopReason::EASY_MOVE: std::printf("# easy move: %s\n", move); break;
    case StopReason::NO_TIME_FOR_ITERATION: std::printf("# probably not enough time left for another iteration\n"); break;
    case StopReason::FORCED_MATE: std::printf("# forced mate in %d plies: %s\n", plies, move); break;
    case StopReason::FORCED_DRAW: std::printf("# forced draw: %s\n", move); break;
    case StopReason::GETTING_MATED: std::printf("# getting mated in %d plies: %s\n", plies, move); break;
    }
    std::fflush(stdout);
}

void printCores(const CoresReport &c) {
    std::printf("# will now use %u cores (requested=%u, current=%u, max=%u)\n", c.used, c.requested, c.current, c.max);
    std::fflush(stdout);
}

void printGameEnd(GameEnd end) {
    const char *text = end == GameEnd::WHITE_MATES             ? "1-0 {White wins by checkmate}"
                       : end == GameEnd::BLACK_MATES           ? "0-1 {Black wins by checkmate}"
                       : end == GameEnd::STALEMATE             ? "1/2-1/2 {Stalemate}"
                       : end == GameEnd::INSUFFICIENT_MATERIAL ? "1/2-1/2 {Draw by insufficient material}"
                                                               : nullptr;
    if (!text) return;
    std::printf("%s\n", text);
    std::fflush(stdout);
}

void printHashCollision(const Board_BB64 &b, Move move, bool pseudoLegal) {
    char text[6];
    char fen[128];
    moveToText(move, text);
    b.toFEN(fen);
    std::printf("# hash collision (%s, %s): %5s %s\n", "PHASE_TT", pseudoLegal ? "illegal move" : "", text, fen);
    std::fflush(stdout);
}

void printBookError(int errorNumber) {
    std::printf("ERROR: %s\n", std::strerror(errorNumber));
    std::fflush(stdout);
}
