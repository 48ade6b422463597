// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The XBoard texts a recorded session cannot show exactly: clock figures, failing
// self-tests, the random-games statistics.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/random.h"
#include "tests/eval/eval_helpers.h"
#include "tools/randgames.h"
#include "tools/selftest.h"
#include "xboard/output.h"
#include "xboard/tool_output.h"
#include "xboard/wbengine.h"

namespace {

// Every blank delimits an element (two make an empty one), except a last one.
TEST(SplitArguments, BlanksDelimitEveryElement) {
    using V = std::vector<std::string>;
    EXPECT_EQ(splitArguments("a  b", ' '), (V{"a", "", "b"}));
    EXPECT_EQ(splitArguments(" e2e4", ' '), (V{"", "e2e4"}));
    EXPECT_EQ(splitArguments("a b ", ' '), (V{"a", "b"}));
    EXPECT_EQ(splitArguments("", ' '), V{});
    EXPECT_EQ(splitArguments("a\tb", ' '), V{"a\tb"});
    EXPECT_EQ(splitArguments("5:30", ':'), (V{"5", "30"}));
}

TEST(XBoardOutput, ThinkingLineAndStatisticsBlock) {
    PrincipalVariation child;
    child.setSingle(makePromotion(52, 60, QUEEN));
    PrincipalVariation line;
    line.setLine(makeMove(12, 28), child);
    testing::internal::CaptureStdout();
    printThinkingLine(7, -35, 123, 456789, line);
    printThinkingLine(0, -INFINITE_SCORE, 0, 0, PrincipalVariation{});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "7 -35 123 456789 e2e4 e7e8q\n0 -32000 0 0\n");

    // The block's counts are in the recorded sessions; its clock figures only here.
    StatsTotals t;
    t.nodes = 1000;
    testing::internal::CaptureStdout();
    printStatistics(t, 50, 12.5, 0.0, 9);
    printStatistics(StatsTotals{}, 0, 0.0, 0.0, 0);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("(0%), time = 50, nps = 2000\n"), std::string::npos) << out;
    EXPECT_NE(out.find("(0%), time = 0, nps = 0\n"), std::string::npos) << out;  // no division by zero
}

TEST(SelfTestOutput, PassesFailuresAndBadFens) {
    const SelfTestRecord records[] = {
        {1, START_FEN, 2, 400},
        {2, START_FEN, 2, 401},
        {3, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1", 1, 20},
    };
    Board_BB64 b;
    PerftHash hash;
    testing::internal::CaptureStdout();
    const SelfTestSummary s = runSelfTest(b, hash, 1, printSelfTestResult, records);
    printSelfTestSummary(s);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(s.passed, 1u);
    EXPECT_EQ(s.failed, 2u);
    EXPECT_TRUE(std::regex_search(out, std::regex("^# new size of Perft hash: 1 MB\n# Self-test no\\. 1 passed: n=400, "
                                                  "t=[0-9]+, lps=[0-9]+, nps=[0-9]+\n")))
        << out;
    EXPECT_NE(out.find("# Self-test no. 2 FAILED  (expected 401, got 400)\n"), std::string::npos) << out;
    EXPECT_NE(out.find("# Self-test no. 3 FAILED  (illegal FEN)\n"), std::string::npos) << out;
    // The summary's n= is the node total: 21 interior nodes per depth-2 run.
    EXPECT_TRUE(std::regex_search(
        out, std::regex("1 tests passed, 2 tests failed, 0 tests skipped, total 3 tests run:\nn=42, t=[0-9]+, lps=[0-9]+, nps=[0-9]+\n$")))
        << out;
}

// The statistics of 100 seeded random games, exactly as recorded.
TEST(RandomGamesOutput, SeededGamesPrintAsRecorded) {
    initEvalTestTables();
    Board_BB64 b;
    RandomGameStats stats;
    seedRandom(20261207);
    playRandomGames(b, 100, {}, stats);
    testing::internal::CaptureStdout();
    printRandomGameStats(stats);
    const std::string got = testing::internal::GetCapturedStdout();
    std::ifstream in(std::string(GRELVIN_SOURCE_DIR) + "/tests/xboard/random_games_100.txt", std::ios::binary);
    std::stringstream recorded;
    recorded << in.rdbuf();
    EXPECT_EQ(got, recorded.str());
}

}  // namespace
