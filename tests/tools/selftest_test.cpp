// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "board/board.h"
#include "tools/perft.h"
#include "tools/selftest.h"

namespace {

TEST(SelfTest, ReportsPassesFailuresAndBadFens) {
    const SelfTestRecord records[] = {
        {1, START_FEN, 2, 400},
        {2, START_FEN, 2, 401},
        {3, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1", 1, 20},
    };
    Board_BB64 b;
    PerftHash hash;
    testing::internal::CaptureStdout();
    const SelfTestSummary s = runSelfTest(b, hash, 1, records);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(s.passed, 1u);
    EXPECT_EQ(s.failed, 2u);
    EXPECT_TRUE(std::regex_search(out, std::regex("# Self-test no\\. 1 passed: n=400, t=[0-9]+, lps=[0-9]+, nps=[0-9]+\n")))
        << out;
    EXPECT_NE(out.find("# Self-test no. 2 FAILED  (expected 401, got 400)\n"), std::string::npos) << out;
    EXPECT_NE(out.find("# Self-test no. 3 FAILED  (illegal FEN)\n"), std::string::npos) << out;
    // The summary's n= is the node total: 21 interior nodes per depth-2 run.
    EXPECT_TRUE(std::regex_search(
        out, std::regex("1 tests passed, 2 tests failed, 0 tests skipped, total 3 tests run:\nn=42, t=[0-9]+, lps=[0-9]+, nps=[0-9]+\n$")))
        << out;
}

}  // namespace
