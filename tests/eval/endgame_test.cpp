// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Scaling factor for drawish endings and the mop-up evaluation without pawns.
#include "tests/eval/eval_helpers.h"

namespace {

TEST(ScalingFactor, EndingsAndTheFiftyMoveClock) {
    const struct {
        const char *fen;
        int halfmove, expected;
    } cases[] = {
        // Rook against minor piece, either colour.
        {"8/8/8/4k3/8/2b5/8/R3K3 w - - 0 1", 0, 25}, {"r3k3/8/8/8/8/2B5/8/4K3 b - - 0 1", 0, 25},
        {"8/8/8/4k3/8/2n5/8/R3K3 w - - 0 1", 0, 12},
        // Wrong bishop (light, h8 is dark) with the rook's pawn: defender in the corner,
        // defender two squares away, then the right bishop and a knight's pawn; Black's
        // a-pawn with a light bishop.
        {"7k/8/8/7P/8/8/4B3/K7 w - - 0 1", 0, 0}, {"8/8/5k2/7P/8/8/4B3/K7 w - - 0 1", 0, 50},
        {"7k/8/8/7P/8/8/3B4/K7 w - - 0 1", 0, 100}, {"7k/8/8/6P1/8/8/4B3/K7 w - - 0 1", 0, 100},
        {"8/8/8/8/p7/8/8/Kb5k w - - 0 1", 0, 0},
        // Queen against a pawn on its seventh rank with its king beside it.
        {"8/8/8/8/8/8/2pk4/Q6K w - - 0 1", 0, 25}, {"8/8/8/8/8/8/1p1k4/Q6K w - - 0 1", 0, 100},
        {"8/8/8/8/8/8/p7/1k4QK w - - 0 1", 0, 25}, {"8/4KP2/8/8/8/8/8/q6k b - - 0 1", 0, 25},
        {"8/8/8/8/8/2p5/3k4/Q6K w - - 0 1", 0, 100}, {"8/8/8/8/8/8/2p5/Q3k2K w - - 0 1", 0, 100},
        // Drawn material, one minor piece each; nothing known: bishop and knight, two rooks
        // against one.
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 1", 0, 0}, {"4k3/8/8/8/8/8/8/3BK3 w - - 0 1", 0, 0},
        {"4k3/8/8/8/8/8/8/2NNK3 w - - 0 1", 0, 0}, {"8/8/8/4k3/8/2n5/8/2B1K3 w - - 0 1", 0, 0},
        {"8/8/8/4k3/8/8/8/2BNK3 w - - 0 1", 0, 100}, {"r3k3/8/8/8/8/8/8/R3K2R w - - 0 1", 0, 100},
        // The clock, also capping a factor the ending already lowered.
        {START_FEN, 50, 75}, {START_FEN, 60, 64}, {START_FEN, 100, 0}, {START_FEN, 200, 0},
        {"8/8/8/4k3/8/2b5/8/R3K3 w - - 0 1", 90, 19},
    };
    for (const auto &c : cases) {
        Board_BB64 b = boardFromFen(c.fen);
        b.halfmoveClock = uint8_t(c.halfmove);
        EXPECT_EQ(scalingFactor(b, computeMaterial(b)), c.expected) << c.fen << " " << c.halfmove;
    }
}

// Whole evaluations, mostly without pawns; each comment gives the arithmetic.
TEST(Pawnless, MopUpDrivesTheWeakerKing) {
    const struct {
        const char *fen;
        int expected;
    } cases[] = {
        // Drawn or unwinnable: no kings, a lone knight, a knight against a pawn whoever
        // moves; the start position with Black to move scores as with White.
        {"8/8/8/8/8/8/8/8 w - - 0 1", 0}, {"4k3/pp6/8/8/8/8/8/8 w - - 0 1", 0}, {"4k3/8/8/8/8/8/8/3NK3 w - - 0 1", 0},
        {"8/8/8/4k3/8/2n5/4P3/4K3 b - - 0 1", 0}, {"8/8/8/4k3/8/2n5/4P3/4K3 w - - 0 1", 0},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1", 24},
        // Bishop and knight: material (791, 749) at phase 2 blends to 752. White Kc3 is two
        // from Black Ke5; the dark bishop's corners are a8 and h1, both four away from e5.
        {"8/8/8/4k3/8/2K5/8/2BN4 w - - 0 1", 752 + 2 + 2 * (7 - 2) - (64 * 3 + 16 * (7 - 4))},
        // Black to move loses the side-to-move bonus to White's view.
        {"8/8/8/4k3/8/2K5/8/2BN4 b - - 0 1", 64 * 3 + 16 * (7 - 4) + 2 - (752 + 2 * (7 - 2))},
        // Two rooks against one: material (696, 654) at phase 6 blends to 664; the kings
        // stand seven apart and the Black king is on the edge.
        {"r3k3/8/8/8/8/8/8/R3K2R w - - 0 1", 664 + 6},
        // Equal material: White is taken as the weaker side, so its centralised king
        // earns the edge bonus and Black the king-distance bonus.
        {"4k3/8/8/8/3K4/8/8/r6R w - - 0 1", 4 + 64 * 3 - 2 * (7 - 4)},
        // The rook-against-bishop factor (25) is not applied without pawns: material
        // (294, 251) at phase 3 blends to 256.
        {"8/8/8/4k3/8/2b5/8/R3K3 w - - 0 1", 256 + 3 + 2 * (7 - 4) - 64 * 3},
    };
    for (const auto &c : cases) EXPECT_EQ(evalOf(c.fen), c.expected) << c.fen;
    evalOf("PPPPk3/8/8/8/8/8/8/pppPK3 b - - 0 1");  // pawns on the back ranks: no crash
    // The defender on b2 is one square from a1, the light bishop's safe corner, but six
    // from both corners of a dark bishop.
    EXPECT_EQ(evalOf("8/8/8/8/8/2K5/1k6/2NB4 w - - 0 1") - evalOf("8/8/8/8/8/2K5/1k6/2BN4 w - - 0 1"), -16 * (6 - 1));
}

}  // namespace
