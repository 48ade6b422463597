// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "tests/search/search_support.h"

#include <gtest/gtest.h>

void initSearchTestTables() { initEvaluationTables(); }  // the board's tables too, each built once

std::string moveText(Move m) {
    char text[6];
    moveToText(m, text);
    return text;
}

void RecordingInterface::reportStop(StopReason reason, Move best, int plies) {
    static const char *const NAMES[] = {"forced", "easy", "no time", "mate", "draw", "mated"};
    stops += std::string(NAMES[int(reason)]) + " " + std::to_string(plies) + " " + moveText(best) + "\n";
}

SearchFixture::SearchFixture() {
    initSearchTestTables();
    tt = std::make_unique<TranspositionTable>(4);
    pawnHash = std::make_unique<PawnHashTable>(1);
    state->tt = tt.get();
    state->eval.pawns = pawnHash.get();
    state->limits = &limits;
    state->player = &player;
}

Board_BB64 &SearchFixture::board(const char *fen) {
    EXPECT_TRUE(game->setFromFEN(fen)) << fen;
    return *game;
}

SearchResult SearchFixture::search(const char *fen, int depth) {
    board(fen);
    limits.fixedDepth = true;
    limits.maxDepth = uint32_t(depth);
    return iterativeDeepening(*state, *game);
}
