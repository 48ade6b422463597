// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The "eval" printout.
#include <algorithm>
#include <string>

#include "eval/breakdown.h"
#include "tests/eval/eval_helpers.h"

namespace {

std::string printed(const char *fen, PawnHashTable &table) {
    testing::internal::CaptureStdout();
    printEvaluation(boardFromFen(fen), table);
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

}  // namespace
