// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Two search threads sharing one table (the thread-sanitizer build runs this one).
#include <gtest/gtest.h>

#include <thread>

#include "search/basic_interface.h"
#include "tests/search/search_support.h"

namespace {

TEST(Threads, HelperSharesTheTableAndStopsOnRequest) {
    const char *fen = "r2q1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 9";
    SearchFixture main;
    auto helperGame = std::make_unique<Board_BB64>();
    helperGame->setFromFEN(fen);
    auto helper = std::make_unique<SearchState>();
    SearchLimits helperLimits;
    helper->threadIndex = 1;
    helper->tt = main.tt.get();
    helper->pawnHash = main.pawnHash.get();
    helper->limits = &helperLimits;
    BasicSearchInterface silent;
    helper->player = &silent;

    SearchResult helperResult{makeMove(1, 2), NO_MOVE};
    std::thread worker([&] { helperResult = iterativeDeepening(*helper, *helperGame); });
    const SearchResult r = main.search(fen, 7);
    helper->requestStop();
    worker.join();
    EXPECT_NE(r.bestMove, NO_MOVE);
    EXPECT_EQ(helperResult.bestMove, NO_MOVE);  // helpers' moves are discarded
    EXPECT_GT(helper->stats.nodes.load(), 0u);
    EXPECT_GT(main.tt->fillPercent(), 0.0);
}

}  // namespace
