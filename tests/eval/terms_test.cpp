// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Pawn, piece and king-safety terms on hand-built positions, one row of the
// printout each.
#include "tests/eval/eval_helpers.h"

namespace {

using eval::EvalTrace;

struct TermCase {
    const char *fen;
    int row;
    Colour colour;
    TermPair expected;
};

// Worked values; each comment gives the arithmetic.
const TermCase CASES[] = {
    // Start: each rook sees a3..a8 (or h3..h8), six squares at (-2, 13), no file bonus.
    // (Colour symmetry of every term: the mirror test of the whole evaluation.)
    {START_FEN, EvalTrace::ROOKS, WHITE, {-24, 156}},
    {START_FEN, EvalTrace::KNIGHTS, WHITE, {16, 32}},
    // Knight on a1 with b3 and c2 held by its own pawns.
    {"4k3/8/8/8/8/1P6/2P5/N3K3 w - - 0 1", EvalTrace::KNIGHTS, WHITE, {-13, -55}},
    // Rook e1 on one of two open files, the enemy king's: 13 squares + (88, 20) + (83, 36).
    {"4k3/ppp2ppp/8/8/8/8/PPP2PPP/4RK2 w - - 0 1", EvalTrace::ROOKS, WHITE, {-26 + 171, 169 + 56}},
    // One open (f) and two half-open files (d, e): rook d1 takes entry 3, m = 12.
    {"5k2/ppp1p1pp/3p4/8/8/8/PPP3PP/3R1QK1 w - - 0 1", EvalTrace::ROOKS, WHITE, {-24 + 44, 156 + 2}},
    // Queen f1, m = 18, on the king's open file.
    {"5k2/ppp1p1pp/3p4/8/8/8/PPP3PP/3R1QK1 w - - 0 1", EvalTrace::QUEENS, WHITE, {72 + 16, 234 + 111}},
    // Shelter classes of a king on g1: f2 g2 h2 -> 0; no f-pawn -> 1; g2 alone -> 2;
    // an f3 pawn still covers the f-side.
    {"4k3/8/8/8/8/8/5PPP/6K1 w - - 0 1", EvalTrace::KING_SAFETY, WHITE, {0, 0}},
    {"4k3/8/8/8/8/8/6PP/6K1 w - - 0 1", EvalTrace::KING_SAFETY, WHITE, {-15, 7}},
    {"4k3/8/8/8/8/8/6P1/6K1 w - - 0 1", EvalTrace::KING_SAFETY, WHITE, {-30, 14}},
    {"4k3/8/8/8/8/5P2/6PP/6K1 w - - 0 1", EvalTrace::KING_SAFETY, WHITE, {0, 0}},
    // On the a-file only the f+1 side can cost; Black mirrors White; a king on its own
    // seventh rank counts both shelter ranks as full.
    {"4k3/7p/8/8/8/8/8/K7 w - - 0 1", EvalTrace::KING_SAFETY, WHITE, {-15, 7}},
    {"6k1/5ppp/8/8/8/8/P7/K7 w - - 0 1", EvalTrace::KING_SAFETY, BLACK, {0, 0}},
    {"8/8/8/8/8/8/1k5P/4K3 b - - 0 1", EvalTrace::KING_SAFETY, BLACK, {0, 0}},
    // Open d, e, f files by the king on e1 against one queen, then against 2 rooks + queen.
    {"q3k3/ppp3pp/8/8/8/8/PPP3PP/4K3 w - - 0 1", EvalTrace::KING_SAFETY, WHITE, {-51 - 30, -31 + 14}},
    {"rr1qk3/ppp3pp/8/8/8/8/PPP3PP/4K3 w - - 0 1", EvalTrace::KING_SAFETY, WHITE, {-102 - 30, -62 + 14}},
    // Passed a2: 5 steps; own knight in front: 6; enemy knight in front: blocked, /4.
    {"8/1k6/8/8/8/8/P7/7K w - - 0 1", EvalTrace::PASSED, WHITE, {8, 36}},
    {"8/1k6/8/8/8/N7/P7/7K w - - 0 1", EvalTrace::PASSED, WHITE, {32, 20}},
    {"8/1k6/8/n7/8/8/P7/7K w - - 0 1", EvalTrace::PASSED, WHITE, {8, 5}},
    // Unstoppable: king too far (7 > 5), knight to help, distance 3 to e8 with either side to move.
    {"7k/8/8/8/8/8/P7/7K w - - 0 1", EvalTrace::PASSED, WHITE, {8 - 38, 36 + 47}},
    {"8/8/4P3/8/8/8/n6K/k7 w - - 0 1", EvalTrace::PASSED, WHITE, {76, 133}},
    {"8/8/4P3/1k6/8/8/7K/8 w - - 0 1", EvalTrace::PASSED, WHITE, {76 + 143, 133 + 339}},
    {"8/8/4P3/1k6/8/8/7K/8 b - - 0 1", EvalTrace::PASSED, WHITE, {76, 133}},
    // The passed mask looks ahead only: d6 stops e4, d3 does not (4 steps; the king
    // on a8 is 4 from e8, not more, so no unstoppable bonus).
    {"k7/8/3p4/8/4P3/8/8/K7 w - - 0 1", EvalTrace::PASSED, WHITE, {0, 0}},
    {"k7/8/8/8/4P3/3p4/8/K7 w - - 0 1", EvalTrace::PASSED, WHITE, {16, 57}},
    // Tropism: kings two ranks apart (entry 3, kings only, the pawns have passed the
    // enemy king); a pawn just below the enemy king (entry 2), kings out of reach.
    {"8/7P/4k3/8/4K3/8/7p/8 w - - 0 1", EvalTrace::TROPISM, WHITE, {54, 42}},
    {"8/7P/4k3/8/4K3/8/7p/8 w - - 0 1", EvalTrace::TROPISM, BLACK, {54, 42}},
    {"8/8/4k3/4P3/8/8/8/4K3 w - - 0 1", EvalTrace::TROPISM, WHITE, {20, -8}},
    // c2 + c3: isolated once, doubled once.
    {"k7/8/8/8/8/2P5/2P5/K7 w - - 0 1", EvalTrace::WEAK, WHITE, {-37, -43}},
    // h4 without support, its way to h6 attacked by g7: backward; g7 is isolated.
    {"k7/6p1/6P1/8/7P/8/8/K7 w - - 0 1", EvalTrace::WEAK, WHITE, {-24, -13}},
    {"k7/6p1/6P1/8/7P/8/8/K7 w - - 0 1", EvalTrace::WEAK, BLACK, {-31, -13}},
    {"k7/8/8/7p/8/6p1/6P1/K7 b - - 0 1", EvalTrace::WEAK, BLACK, {-24, -13}},
    // Supported from beside: never backward (only the doubled g-file counts).
    {"k7/6p1/6P1/8/6PP/8/8/K7 w - - 0 1", EvalTrace::WEAK, WHITE, {-6, -30}},
    // g2's way to g6 is attacked (h5) and blocked (g5).
    {"k7/8/5P2/6pp/8/8/6P1/K7 w - - 0 1", EvalTrace::WEAK, WHITE, {-24 + 12, -13 - 5}},
};

TEST(Terms, WorkedValues) {
    for (const TermCase &c : CASES)
        EXPECT_EQ(traceOf(c.fen).rows[c.row][c.colour], c.expected) << c.fen << " row " << c.row;
}

}  // namespace
