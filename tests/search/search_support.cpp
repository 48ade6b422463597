// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "tests/search/search_support.h"

#include <gtest/gtest.h>

#include <mutex>

#include "board/movegen.h"

void initSearchTestTables() {
    static std::once_flag once;
    std::call_once(once, [] {
        initStaticTables();
        initEvaluationTables();
    });
}

SearchFixture::SearchFixture() {
    initSearchTestTables();
    testing::internal::CaptureStdout();
    tt = std::make_unique<TranspositionTable>(4);
    pawnHash = std::make_unique<PawnHashTable>(1);
    testing::internal::GetCapturedStdout();
    state = std::make_unique<SearchState>();
    game = std::make_unique<Board_BB64>();
    state->tt = tt.get();
    state->pawnHash = pawnHash.get();
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
    testing::internal::CaptureStdout();
    const SearchResult r = iterativeDeepening(*state, *game);
    output = testing::internal::GetCapturedStdout() + player.stops;
    player.stops.clear();
    return r;
}

namespace {

bool mates(Board_BB64 &b, int plies);

// Every reply of the defender runs into a mate within plies.
bool allRepliesLose(Board_BB64 &b, int plies) {
    MoveList list;
    const bool inCheck = generateAllLegal(b, list);
    if (list.size() == 0) return inCheck;
    if (plies <= 0) return false;
    for (const ScoredMove &sm : list) {
        UndoInfo undo;
        b.makeMove(sm.move, undo);
        const bool lost = mates(b, plies - 1);
        b.unmakeMove(sm.move, undo);
        if (!lost) return false;
    }
    return true;
}

bool mates(Board_BB64 &b, int plies) {
    if (plies <= 0) return false;
    MoveList list;
    generateAllLegal(b, list);
    for (const ScoredMove &sm : list) {
        UndoInfo undo;
        b.makeMove(sm.move, undo);
        const bool won = allRepliesLose(b, plies - 1);
        b.unmakeMove(sm.move, undo);
        if (won) return true;
    }
    return false;
}

}  // namespace

int forcedMatePlies(Board_BB64 &b, int maxPlies) {
    for (int n = 1; n <= maxPlies; n += 2)
        if (mates(b, n)) return n;
    return 0;
}

void RecordingInterface::reportStop(StopReason reason, Move best, int plies) {
    char move[6];
    moveToText(best, move);
    const std::string text = move;
    switch (reason) {
    case StopReason::FORCED_MOVE: stops += "# forced move: " + text + "\n"; break;
    case StopReason::EASY_MOVE: stops += "# easy move: " + text + "\n"; break;
    case StopReason::NO_TIME_FOR_ITERATION: stops += "# no time for another iteration\n"; break;
    case StopReason::FORCED_MATE: stops += "# forced mate in " + std::to_string(plies) + " plies: " + text + "\n"; break;
    case StopReason::FORCED_DRAW: stops += "# forced draw: " + text + "\n"; break;
    case StopReason::GETTING_MATED:
        stops += "# getting mated in " + std::to_string(plies) + " plies: " + text + "\n";
        break;
    }
}
