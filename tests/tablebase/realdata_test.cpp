// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The real 3- and 4-men files checked against chess itself: every answer must follow from
// the answers after each legal move (retrograde consistency), which proves the index
// functions, the block reading and the decoding on real data without another reference.
// Promotions lead into endgames stored with the colours exchanged (kbkp -> kbkq is read
// as kqkb) and double pushes give en-passant squares, so both get checked on the way.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "board/movegen.h"
#include "tablebase/probe.h"
#include "tablebase/module.h"
#include "tests/test_support.h"

namespace {

struct Placement {
    int codes[2][4];  // per side, king first, 0 after the last
    int count[2];
};

Placement placementOf(const char *name) {
    Placement p{};
    int side = -1;
    for (const char *c = name; *c; ++c) {
        if (*c == 'k') ++side;
        p.codes[side][p.count[side]++] = int(std::string_view(".pnbrqk").find(*c));
    }
    return p;
}

// Board from a placement; false when two men share a square or a pawn stands on a back rank.
bool setUp(Board_BB64 &b, const Placement &p, const Square squares[2][4], Colour side) {
    b.clear();
    for (Colour c : {WHITE, BLACK})
        for (int i = 0; i < p.count[c]; ++i) {
            const Square s = squares[c][i];
            if (b.pieceOn[s] || (p.codes[c][i] == PAWN && (rankOf(s) == RANK_1 || rankOf(s) == RANK_8)))
                return false;
            b.putPieceQuiet(c, p.codes[c][i], s);
        }
    b.sideToMove = uint8_t(side);
    b.rebuildKeys();
    return true;
}

// Negamax view of an answer: wins count down from 1000 with the distance, losses up from -1000.
int value(unsigned code, unsigned plies, int side) {
    if (code == TB_DRAW) return 0;
    return code == (side == WHITE ? TB_WHITE_MATES : TB_BLACK_MATES) ? 1000 - int(plies) : int(plies) - 1000;
}

enum class Check { CONSISTENT, ILLEGAL, UNKNOWN, WRONG };

// The position's answer against the best of its moves' answers; UNKNOWN when a move leads
// into an endgame whose file is not in the data.
Check checkPosition(GaviotaTables &tables, Board_BB64 &b, int *valueOut = nullptr) {
    const Colour us = b.side();
    if (isAttackedBy(b, us, b.kingSquare(opposite(us)))) return Check::ILLEGAL;
    unsigned info = 0, plies = 0;
    if (!tables.probe(b, true, info, plies)) return Check::UNKNOWN;
    if (info > TB_BLACK_MATES) return Check::WRONG;
    const int claimed = value(info, plies, us);
    if (valueOut) *valueOut = claimed;
    MoveList moves;
    const bool inCheck = generateAllLegal(b, moves);
    int best = moves.size() ? -10000 : inCheck ? -1000 : 0;
    for (const ScoredMove &m : moves) {
        UndoInfo undo;
        b.makeMove(m.move, undo);
        unsigned childInfo = 0, childPlies = 0;
        const bool known = tables.probe(b, true, childInfo, childPlies);
        b.unmakeMove(m.move, undo);
        if (!known) return Check::UNKNOWN;
        if (childInfo > TB_BLACK_MATES) return Check::WRONG;
        const int child = value(childInfo, childPlies, opposite(us));
        // One ply further from the mate, seen from this side.
        best = std::max(best, child == 0 ? 0 : child > 0 ? -(child - 1) : -(child + 1));
    }
    return best == claimed ? Check::CONSISTENT : Check::WRONG;
}

class RealTablebase : public ::testing::Test {
protected:
    GaviotaTables tables;
    std::string dir;
    void SetUp() override {
        dir = testDataDir() + "/gaviota";
        GRELVIN_REQUIRE_DATA_FILE(dir + "/kqk.gtb.cp4");
        initStaticTables();
        ASSERT_TRUE(tables.open(4, {dir}) && tables.setCache(64));
    }
    bool available(const char *name) { return std::filesystem::exists(dir + "/" + name + ".gtb.cp4"); }
};

std::string describe(Board_BB64 &b) {
    char fen[100];
    b.toFEN(fen);
    return fen;
}

}  // namespace

TEST_F(RealTablebase, EveryThreeMenPositionIsConsistent) {
    Board_BB64 board;
    for (const char *name : {"kqk", "krk", "kbk", "knk", "kpk"}) {
        const Placement p = placementOf(name);
        int checked = 0, wrong = 0, longest = 0;
        Square sq[2][4];
        for (sq[0][0] = 0; sq[0][0] < 64; ++sq[0][0])
            for (sq[1][0] = 0; sq[1][0] < 64; ++sq[1][0])
                for (sq[0][1] = 0; sq[0][1] < 64; ++sq[0][1])
                    for (Colour side : {WHITE, BLACK}) {
                        if (sq[0][0] == sq[1][0] || !setUp(board, p, sq, side)) continue;
                        if (std::abs(fileOf(sq[0][0]) - fileOf(sq[1][0])) <= 1 &&
                            std::abs(rankOf(sq[0][0]) - rankOf(sq[1][0])) <= 1)
                            continue;
                        int v = 0;
                        const Check c = checkPosition(tables, board, &v);
                        if (c == Check::ILLEGAL) continue;
                        ++checked;
                        if (c != Check::CONSISTENT && wrong++ < 5) ADD_FAILURE() << name << " " << describe(board);
                        if (side == WHITE && v > 0) longest = std::max(longest, 1000 - v);
                    }
        EXPECT_EQ(wrong, 0) << name << " of " << checked;
        const std::string_view n(name);
        if (n == "kqk" || n == "krk") {
            EXPECT_EQ(longest, n == "kqk" ? 19 : 31) << name;
        }
    }
}

TEST_F(RealTablebase, RandomFourMenPositionsAreConsistent) {
    constexpr int SAMPLES = 2000;  // per endgame and side: under ten seconds in Release
    std::mt19937 rng(20261206);
    Board_BB64 board;
    int endgames = 0;
    for (const char *name :
         {"kqkq", "kqkr", "kqkb", "kqkn", "krkr", "krkb", "krkn", "kbkb", "kbkn", "knkn", "kqqk", "kqrk", "kqbk",
          "kqnk", "krrk", "krbk", "krnk", "kbbk", "kbnk", "knnk", "kqkp", "krkp", "kbkp", "knkp", "kqpk", "krpk",
          "kbpk", "knpk", "kppk", "kpkp"}) {
        if (!available(name)) continue;
        ++endgames;
        const Placement p = placementOf(name);
        int checked = 0, unknown = 0, wrong = 0;
        for (Colour side : {WHITE, BLACK})
            for (int n = 0; n < SAMPLES;) {
                Square sq[2][4];
                for (Colour c : {WHITE, BLACK})
                    for (int i = 0; i < p.count[c]; ++i) sq[c][i] = Square(rng() % 64);
                if (!setUp(board, p, sq, side) || board.kingSquare(WHITE) == board.kingSquare(BLACK)) continue;
                const Check c = checkPosition(tables, board);
                if (c == Check::ILLEGAL) continue;
                ++n;
                if (c == Check::UNKNOWN) {
                    ++unknown;
                    continue;
                }
                ++checked;
                if (c == Check::WRONG && wrong++ < 5) ADD_FAILURE() << name << " " << describe(board);
            }
        EXPECT_EQ(wrong, 0) << name;
        // Only moves into endgames missing from the data (a promotion to a rook, say)
        // may leave a position unchecked.
        EXPECT_GT(checked, SAMPLES) << name << " unknown " << unknown;
    }
    // The checkout's own set holds one four-men endgame, the larger set all of them.
    EXPECT_GE(endgames, largerDataDir().empty() ? 1 : 20);
}
