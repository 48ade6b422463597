// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The XBoard texts of the search reports and the tools where a session cannot show them
// exactly: the clock-dependent figures, failing self-tests, the random-games statistics.
// Whole sessions, with the evaluation table, are in session_corpus_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

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

std::vector<std::string> splitLines(const std::string &text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

std::vector<double> numbers(const std::string &text) {
    std::vector<double> out;
    std::istringstream in(text);
    for (double v; in >> v;) out.push_back(v);
    return out;
}

double sumAfter(const std::string &line, size_t labelLength) {
    double sum = 0;
    for (double v : numbers(line.substr(labelLength))) sum += v;
    return sum;
}

TEST(RandomGamesOutput, HundredGamesReportAddsUp) {
    initEvalTestTables();
    Board_BB64 b;
    RandomGameStats stats;
    playRandomGames(b, 100, {}, stats);
    testing::internal::CaptureStdout();
    printRandomGameStats(stats);
    const std::vector<std::string> lines = splitLines(testing::internal::GetCapturedStdout());
    ASSERT_EQ(lines.size(), 11 + 12 * 10 + 2 * 4 + 41u);
    EXPECT_EQ(lines[0], "Total games:                               100");
    const double perGame = numbers(lines[1].substr(16))[0] / 100;
    EXPECT_NEAR(numbers(lines[2].substr(16))[0], perGame, 0.006);  // Avg. moves/game
    EXPECT_NEAR(sumAfter(lines[8], 25), perGame, 0.04);            // moves by piece
    for (int table = 0; table < 12; ++table) {
        const size_t first = 11 + 10 * table;
        char title[32];
        std::snprintf(title, sizeof title, "Avg. presence of %d %d:", table / 6, table % 6 + 1);
        EXPECT_EQ(lines[first], title);
        for (size_t row = first + 1; row <= first + 8; ++row) EXPECT_EQ(numbers(lines[row]).size(), 8u);
        if (table % 6 == 5) {
            EXPECT_EQ(lines[first + 9], "[100.0]");  // one king in every position
        }
    }
    for (size_t first : {131u, 135u}) {  // white, then black piece counts 1..16
        EXPECT_EQ(numbers(lines[first + 1]).size(), 8u);
        EXPECT_NEAR(sumAfter(lines[first + 1], 0) + sumAfter(lines[first + 2], 0), 100.0, 0.8);
        EXPECT_EQ(lines[first + 3], "");
    }
    EXPECT_EQ(lines[139], "Game length:");
    EXPECT_EQ(lines[140].substr(0, 12), "   0 ..   19");
    double lengths = 0;
    for (size_t i = 140; i < lines.size(); ++i) lengths += sumAfter(lines[i], 13);
    EXPECT_NEAR(lengths, 100.0, 0.2);
}

}  // namespace
