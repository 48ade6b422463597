// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The XBoard texts of the tools' results: the "eval" table, the self-test lines and the
// random-games statistics.
#include <algorithm>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "eval/breakdown.h"
#include "tests/eval/eval_helpers.h"
#include "tools/randgames.h"
#include "tools/selftest.h"
#include "xboard/tool_output.h"

namespace {

std::string printed(const char *fen, PawnHashTable &table) {
    testing::internal::CaptureStdout();
    printEvalBreakdown(evaluationBreakdown(boardFromFen(fen), table));
    return testing::internal::GetCapturedStdout();
}

bool has(const std::string &out, const std::string &line) { return out.find(line + "\n") != std::string::npos; }

const std::string RULE(78, '=');

TEST(Breakdown, StartPositionLayout) {
    PawnHashTable table(1);
    const std::string out = printed(START_FEN, table);
    const std::string head =
        RULE + "\nEvaluation part                    w-MG w-EG (wTot)   b-MG b-EG (bTot)   Total\n" + RULE + "\n";
    EXPECT_EQ(out.substr(0, head.size()), head);
    EXPECT_TRUE(has(out, "Rooks                               -24  156 ( -24)    -24  156 ( -24)      0"));
    const std::string tail = "Side to move                         24    0 (  24)      0    0 (   0)     24\n" + RULE +
                             "\nPhase =  24          Scaling factor = 1.00          Total evaluation =     24\n" + RULE + "\n";
    EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 3 + 15 + 3);
}

TEST(Breakdown, WeakPawnsOnMissPawnStructureOnHit) {
    PawnHashTable table(1);
    const char *fen = "k7/8/8/8/8/2P5/2P5/K7 w - - 0 1";  // isolated and doubled c-pawns
    const std::string first = printed(fen, table), second = printed(fen, table);
    EXPECT_TRUE(has(first, "Weak pawns                          -37  -43 ( -43)      0    0 (   0)    -43"));
    EXPECT_TRUE(has(first, "Pawn structure                        0    0 (   0)      0    0 (   0)      0"));
    EXPECT_TRUE(has(second, "Weak pawns                            0    0 (   0)      0    0 (   0)      0"));
    EXPECT_TRUE(has(second, "Pawn structure                      -37  -43 ( -43)      0    0 (   0)    -43"));
    EXPECT_EQ(table.hits(), 1u);
    EXPECT_EQ(first.substr(first.find("Phase")), second.substr(second.find("Phase")));
}

TEST(Breakdown, TotalsFromWhitesViewAndSpecialCases) {
    PawnHashTable table(1);
    // White a rook up with Black to move: positive total.
    const std::string rookUp = printed("4k3/pppp4/8/8/8/8/PPPP4/R3K3 b - - 0 1", table);
    EXPECT_GT(std::stoi(rookUp.substr(rookUp.find("Total evaluation = ") + 19)), 400);

    const std::string draw = printed("4k3/8/8/8/8/8/8/3BK3 w - - 0 1", table);
    EXPECT_TRUE(has(draw, "Phase =   0          Scaling factor = 1.00          Total evaluation =      0"));
    EXPECT_TRUE(has(draw, "Material                              0    0 (   0)      0    0 (   0)      0"));

    // Mop-up bonuses go to the side to move's columns (Black here), whoever earns them.
    const std::string kbnk = printed("8/8/8/4k3/8/2K5/8/2BN4 b - - 0 1", table);
    EXPECT_TRUE(has(kbnk, "M: King edge dist                     0    0 (   0)    192  192 ( 192)   -192"));
    EXPECT_TRUE(has(kbnk, "M: King dist                          0    0 (   0)     10   10 (  10)    -10"));
    EXPECT_TRUE(has(kbnk, "M: KBNK safe corner                   0    0 (   0)     48   48 (  48)    -48"));
    EXPECT_TRUE(has(kbnk, "PST                                   0    0 (   0)      0    0 (   0)      0"));
    EXPECT_TRUE(has(kbnk, "Phase =   2          Scaling factor = 1.00          Total evaluation =    520"));
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
