// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The XBoard texts of the search reports: the thinking line and the statistics block.
#include <gtest/gtest.h>

#include "xboard/output.h"

namespace {

TEST(XBoardOutput, ThinkingLineAndStatisticsBlock) {
    PrincipalVariation pv;
    pv.setSingle(makeMove(12, 28));
    PrincipalVariation child;
    child.setSingle(makePromotion(52, 60, QUEEN));
    PrincipalVariation line;
    line.setLine(makeMove(12, 28), child);
    testing::internal::CaptureStdout();
    printThinkingLine(7, -35, 123, 456789, line);
    printThinkingLine(0, -INFINITE_SCORE, 0, 0, PrincipalVariation{});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "7 -35 123 456789 e2e4 e7e8q\n0 -32000 0 0\n");

    StatsTotals t;
    t.nodes = 1000;
    t.qsNodes = 250;
    t.qsChecks = 3;
    t.cutoffs = 40;
    t.firstMoveCutoffs = 30;
    t.qsCutoffs = 10;
    t.qsFirstMoveCutoffs = 10;
    t.ttHashHits = 17;
    testing::internal::CaptureStdout();
    printStatistics(t, 50, 12.5, 0.0, 9);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "# total nodes = 1000, QS nodes = 250 (25%), time = 50, nps = 2000\n"
              "# QS checks = 3\n"
              "# cutoffs = 40, cutoffs on 1st move = 30 (75%)\n"
              "# qsCutoffs = 10, qsCutoffs on 1st move = 10 (100%)\n"
              "# allCutoffs = 50, all cutoffs on 1st move = 40 (80%)\n"
              "# ttHashFull% = 12.5, ttHashHits = 17\n"
              "# pawnHashFull% = 0, pawnHashHits = 9\n"
              "# tbHits = 0\n");
    // No division by zero on an empty search.
    testing::internal::CaptureStdout();
    printStatistics(StatsTotals{}, 0, 0.0, 0.0, 0);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("(0%), time = 0, nps = 0"), std::string::npos);
}

}  // namespace
