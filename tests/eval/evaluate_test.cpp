// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The evaluation frame: material, lazy cut, clamp, can-win rule, scaling, colour symmetry.
#include <cctype>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include "board/movegen.h"
#include "tests/eval/eval_helpers.h"
#include "tests/test_support.h"

namespace {

using eval::EvalTrace;

TEST(Material, CountWordsPhaseAndBalance) {
    const MaterialInfo start = computeMaterial(boardFromFen(START_FEN));
    // Pawns 8, N 2, B 2, R 2, Q 1, minors 4, majors 3, men 15, lowest nibble first.
    EXPECT_EQ(start.counts[WHITE], 0xF3412228u);
    EXPECT_EQ(start.counts[BLACK], 0xF3412228u);
    EXPECT_EQ(start.phase, 24u);
    // Bishop pair; the knight and rook of each side are two pawns away from five.
    const MaterialInfo mi = computeMaterial(boardFromFen("rnb1k3/ppp5/8/8/8/8/PPPPPPP1/RNB2BK1 w - - 0 1"));
    EXPECT_EQ(mi.phase, 9u);
    EXPECT_EQ(mi.material(), TermPair(4 * 127 + 402 + 42 + 7 * 4 - 15 * 4, 4 * 100 + 403 + 69 + 6 * 4 - 12 * 4));
    // More pieces than a count field holds stay within their field.
    const MaterialInfo many = computeMaterial(boardFromFen("QQQQk3/QQQQQQQQ/QQQQQQQQ/8/8/8/8/4K3 w - - 0 1"));
    EXPECT_EQ(many.pieces(WHITE, QUEEN), 15);
    EXPECT_EQ(many.count(WHITE, MaterialInfo::MINORS), 0);
}

// Material is cached by counts: a second king gets its own figures, a cached answer is fresh.
TEST(Material, CachedByCountsOnlyWithOneKingEachAndCanWinFlags) {
    auto cache = std::make_unique<MaterialCache>();
    const MaterialInfo one = cache->probe(boardFromFen("4k3/8/8/8/8/8/8/R3K3 w - - 0 1"));
    const MaterialInfo two = cache->probe(boardFromFen("4k3/8/8/8/8/8/8/R3K2K w - - 0 1"));
    const MaterialInfo again = cache->probe(boardFromFen("4k3/8/8/8/8/8/8/R3K3 w - - 0 1"));
    EXPECT_EQ(one.count(WHITE, MaterialInfo::MEN), 1);
    EXPECT_EQ(two.count(WHITE, MaterialInfo::MEN), 2);
    EXPECT_TRUE(again.counts[WHITE] == one.counts[WHITE] && again.material() == one.material() &&
                again.phase == one.phase && again.canWin[WHITE] == one.canWin[WHITE]);
    for (const CaseFields &c : readCases("eval/can_win.txt")) {
        const std::string fen = "4k3/8/8/8/8/8/8/" + c[0] + " w - - 0 1";
        EXPECT_EQ(computeMaterial(boardFromFen(fen.c_str())).canWin[WHITE], c[1] == "1") << fen;
    }
}

TEST(Evaluate, StartPositionLazyCutAndScaling) {
    const Board_BB64 b = boardFromFen(START_FEN);  // base 24, both sides can win
    PawnHashTable table(1);
    PawnEntryData data;
    EXPECT_EQ(evaluate(b, table, 224, 400), 224);
    EXPECT_EQ(evaluate(b, table, -400, -176), -176);
    EXPECT_FALSE(table.probe(b.pawnKey(), data, 0));  // cut before the pawn hash
    EXPECT_EQ(evaluate(b, table, 223, 400), 24);
    EXPECT_EQ(evaluate(b, table, -400, -175), 24);
    // Any scaling disables the cut: the clock at 10 gives 99.
    Board_BB64 late = b;
    late.halfmoveClock = 10;
    EXPECT_EQ(evaluate(late, table, 300, 400), 99 * 24 / 100);
}

TEST(Evaluate, PositionalScoreIsClamped) {
    // Two unstoppable pawns on the seventh rank are worth far more than 200.
    for (Colour us : {WHITE, BLACK}) {
        EvalTrace t;
        const int score = evalOf(us == WHITE ? "8/P1P5/8/8/8/8/8/K6k w - - 0 1" : "8/P1P5/8/8/8/8/8/K6k b - - 0 1", &t);
        ASSERT_GT(blend(t.rows[EvalTrace::PASSED][WHITE], t.phase), 400);
        const int white = blend(t.rows[EvalTrace::MATERIAL][WHITE], 0) + blend(t.rows[EvalTrace::PST][WHITE], 0) -
                          blend(t.rows[EvalTrace::PST][BLACK], 0);
        EXPECT_EQ(score, us == WHITE ? white + 200 : -white - 200);
    }
}

TEST(Evaluate, CanWinRuleAndFinalScaling) {
    // Knight against pawn (0 in the endings' table): with a pawn of its own Black can win.
    EXPECT_GT(evalOf("8/p7/8/4k3/8/2n5/4P3/4K3 b - - 0 1"), 100);
    // The clock's factor truncates toward zero on a negative score.
    Board_BB64 b = boardFromFen("4k3/pppp4/8/8/8/8/PPP5/4K3 w - - 0 1");
    PawnHashTable table(1);
    const int full = evaluate(b, table, -INFINITE_SCORE, INFINITE_SCORE);
    ASSERT_LT(full, 0);
    for (int h = 0; h <= 110; ++h) {
        b.halfmoveClock = uint8_t(h);
        const int limit = (10000 - std::min(h, 100) * std::min(h, 100)) / 100;
        EXPECT_EQ(evaluate(b, table, -INFINITE_SCORE, INFINITE_SCORE), -(limit * -full / 100)) << h;
    }
}

// The colour-flipped mirror of a FEN: ranks reversed, colours and side swapped.
std::string mirrorFen(const std::string &fen) {
    std::istringstream in(fen);
    std::string placement, side, castling, ep, rest, rank, out;
    in >> placement >> side >> castling >> ep;
    std::getline(in, rest);
    auto swapCase = [](char c) { return char(std::islower(c) ? std::toupper(c) : std::tolower(c)); };
    std::istringstream ranks(placement);
    while (std::getline(ranks, rank, '/')) {
        for (char &c : rank) c = swapCase(c);
        out = out.empty() ? rank : rank + "/" + out;
    }
    std::string rights;
    for (char c : std::string("KQkq"))
        if (castling.find(swapCase(c)) != std::string::npos) rights += c;
    if (ep != "-") ep[1] = ep[1] == '3' ? '6' : '3';
    return out + (side == "w" ? " b " : " w ") + (rights.empty() ? "-" : rights) + " " + ep + rest;
}

TEST(Evaluate, ColourMirrorGivesTheSameScore) {
    std::mt19937 rng(12345);
    PawnHashTable table(1), mirrorTable(1);
    int compared = 0;
    for (const CaseFields &start : readCases("board/start_points.txt"))
        for (int game = 0; game < 7; ++game) {
            Board_BB64 b = boardFromFen(start[0].c_str());
            MoveList list;
            for (int ply = 0; ply < 160 && (list.clear(), generateAllLegal(b, list), list.size() > 0); ++ply) {
                UndoInfo undo;
                b.makeMove(list[rng() % list.size()], undo);
                // Without pawns and near-equal material White is taken as the weaker side.
                const MaterialInfo mi = computeMaterial(b);
                const int m = blend(mi.material(), int(mi.phase));
                if (!b.pieces(PAWN) && m > -191 && m < 191) continue;
                char text[128];
                b.toFEN(text);
                Board_BB64 mb;
                ASSERT_TRUE(mb.setFromFEN(mirrorFen(text).c_str())) << mirrorFen(text);
                const int alpha = int(rng() % 801) - 400, beta = alpha + 1 + int(rng() % 50);
                ASSERT_EQ(evaluate(b, table, alpha, beta), evaluate(mb, mirrorTable, alpha, beta)) << text;
                ASSERT_EQ(evaluate(b, table, -INFINITE_SCORE, INFINITE_SCORE),
                          evaluate(mb, mirrorTable, -INFINITE_SCORE, INFINITE_SCORE))
                    << text;
                ++compared;
            }
        }
    EXPECT_GT(compared, 3000);
}

}  // namespace
