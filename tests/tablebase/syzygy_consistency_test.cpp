// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The Syzygy prober over whole tables and random positions, with no stored answers:
// every board symmetry gives the same values, each WDL follows from its moves' values,
// each DTZ from its moves' DTZ within the table's one-ply rounding, and the values
// agree with the Gaviota mate distances of the same positions.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>

#include "board/movegen.h"
#include "tablebase/probe.h"
#include "tablebase/syzygy_probe.h"
#include "tests/test_support.h"

namespace {

std::string syzygyDir() { return testDataDir() + "/syzygy"; }
std::string gaviotaDir() { return testDataDir() + "/gaviota"; }

// A random legal placement of the table's material (first side white or black), or
// false when the draw gave none (overlap, pawn on a back rank, the side that is not to
// move in check).
bool randomPosition(Board_BB64 &b, const SzMaterial &m, std::mt19937 &rng) {
    b.clear();
    const Colour firstColour = Colour(rng() & 1);
    for (int side = 0; side < 2; ++side)
        for (int pt = PAWN; pt <= KING; ++pt)
            for (int i = 0; i < m.count[side][pt]; ++i) {
                const Square s = Square(rng() % 64);
                if (b.pieceOn[s] || (pt == PAWN && (rankOf(s) == RANK_1 || rankOf(s) == RANK_8))) return false;
                b.putPieceQuiet(side ? opposite(firstColour) : firstColour, pt, s);
            }
    b.sideToMove = uint8_t(rng() & 1);
    b.rebuildKeys();
    return !isAttackedBy(b, b.side(), b.kingSquare(opposite(b.side())));
}

// The board with every square mapped through f, and with colours exchanged if asked.
template <class F> void transformed(const Board_BB64 &from, Board_BB64 &to, F f, bool swapColours) {
    to.clear();
    for (Square s = 0; s < 64; ++s)
        if (from.pieceOn[s])
            to.putPieceQuiet(Colour(from.colorOn[s] ^ swapColours), from.pieceOn[s], f(s));
    to.sideToMove = uint8_t(from.sideToMove ^ swapColours);
    to.rebuildKeys();
}

int collapse(int wdl) { return wdl > 0 ? 2 : wdl < 0 ? -2 : 0; }

class SyzygyConsistency : public ::testing::Test {
protected:
    SyzygyTables tables;
    std::mt19937 rng{20261207};
    void SetUp() override {
        GRELVIN_REQUIRE_DATA_FILE(syzygyDir() + "/KQvK.rtbw");
        initStaticTables();
        // The checkout carries 8 of the tables, the larger set all 3- and 4-men ones.
        ASSERT_GE(tables.load(syzygyDir()), largerDataDir().empty() ? 8 : 35);
    }
    // Whether the folder has the table of these two sides (letters in any order).
    static bool present(std::string a, std::string b) {
        const auto byValue = [](char x, char y) {
            return std::string_view("KQRBNP").find(x) < std::string_view("KQRBNP").find(y);
        };
        std::sort(a.begin(), a.end(), byValue);
        std::sort(b.begin(), b.end(), byValue);
        return (a == "K" && b == "K") || std::filesystem::exists(syzygyDir() + "/" + a + "v" + b + ".rtbw") ||
               std::filesystem::exists(syzygyDir() + "/" + b + "v" + a + ".rtbw");
    }
    // The tables whose every capture and promotion leads to a table in the folder: only
    // their positions can be followed move by move (the checkout carries a few tables).
    std::vector<std::string> names() {
        std::vector<std::string> out;
        for (const auto &e : std::filesystem::directory_iterator(syzygyDir())) {
            if (e.path().extension() != ".rtbw") continue;
            const std::string name = e.path().stem().string();
            const std::string sides[2] = {name.substr(0, name.find('v')), name.substr(name.find('v') + 1)};
            bool closed = true;
            for (int s = 0; s < 2; ++s)
                for (size_t i = 1; i < sides[s].size(); ++i) {
                    std::string less = sides[s];
                    less.erase(i, 1);
                    closed = closed && (s == 0 ? present(less, sides[1]) : present(sides[0], less));
                    for (char promoted : std::string_view(sides[s][i] == 'P' ? "QRBN" : "")) {
                        std::string more = sides[s];
                        more[i] = promoted;
                        closed = closed && (s == 0 ? present(more, sides[1]) : present(sides[0], more));
                    }
                }
            if (closed) out.push_back(name);
        }
        std::sort(out.begin(), out.end());
        return out;
    }
    std::string fen(const Board_BB64 &b) {
        char text[100];
        b.toFEN(text);
        return text;
    }
};

}  // namespace

// Colour flip with the ranks mirrored, the file mirror, and without pawns the
// diagonal reflection: all give the same WDL and DTZ.
TEST_F(SyzygyConsistency, BoardSymmetriesAgree) {
    int checked = 0;
    for (const std::string &name : names()) {
        SzMaterial m;
        ASSERT_TRUE(szParseName(name, m));
        for (int n = 0; n < 150;) {
            Board_BB64 b, t;
            if (!randomPosition(b, m, rng)) continue;
            ++n;
            int wdl, dtz;
            ASSERT_TRUE(szProbeWdl(tables, b, wdl) && szProbeDtz(tables, b, dtz)) << fen(b);
            auto expectSame = [&](auto f, bool swap, const char *what) {
                transformed(b, t, f, swap);
                int w2, d2;
                ASSERT_TRUE(szProbeWdl(tables, t, w2) && szProbeDtz(tables, t, d2)) << fen(t);
                EXPECT_EQ(w2, wdl) << what << " " << fen(b);
                EXPECT_EQ(d2, dtz) << what << " " << fen(b);
                ++checked;
            };
            expectSame([](Square s) { return s ^ 56; }, true, "colour flip");
            expectSame([](Square s) { return s ^ 7; }, false, "file mirror");
            if (!m.hasPawns) expectSame([](Square s) { return ((s & 7) << 3) | (s >> 3); }, false, "diagonal");
        }
    }
    EXPECT_GT(checked, 250 * int(names().size()));
}

// Each position's WDL is the best of its moves' (50-move distinctions aside), its DTZ
// has the WDL's sign and class, and it is the one-ply best over the moves, to within
// a ply either way (tables that count in pairs of plies round the distance down).
TEST_F(SyzygyConsistency, ValuesFollowFromTheMoves) {
    int checked = 0;
    for (const std::string &name : names()) {
        SzMaterial m;
        ASSERT_TRUE(szParseName(name, m));
        for (int n = 0; n < (m.men <= 4 ? 60 : 200);) {
            Board_BB64 b;
            if (!randomPosition(b, m, rng)) continue;
            ++n;
            int wdl, dtz;
            ASSERT_TRUE(szProbeWdl(tables, b, wdl) && szProbeDtz(tables, b, dtz)) << fen(b);
            EXPECT_EQ((dtz > 0) - (dtz < 0), (wdl > 0) - (wdl < 0)) << fen(b);
            EXPECT_EQ(std::abs(dtz) > 100, std::abs(wdl) == 1) << fen(b);
            MoveList moves;
            const bool inCheck = generateAllLegal(b, moves);
            int best = moves.size() ? -3 : inCheck ? -2 : 0, bestDtz = 0;
            bool complete = true;
            for (const ScoredMove &sm : moves) {
                const bool zeroing = b.pieceOn[moveTo(sm.move)] || b.pieceOn[moveFrom(sm.move)] == PAWN;
                UndoInfo undo;
                b.makeMove(sm.move, undo);
                int cw = 0, cd = 0;
                const bool known = szProbeWdl(tables, b, cw) && (zeroing || szProbeDtz(tables, b, cd));
                MoveList replies;
                const bool mates = generateAllLegal(b, replies) && replies.size() == 0;
                b.unmakeMove(sm.move, undo);
                if (!known) {
                    complete = false;  // a promotion into a table the set lacks
                    break;
                }
                best = std::max(best, -collapse(cw));
                int d = zeroing ? szZeroingDtz(-cw) : mates ? 1 : -cd + (cd < 0 ? 1 : cd > 0 ? -1 : 0);
                if (d != 0 && (d > 0) == (dtz > 0) && (bestDtz == 0 || d < bestDtz)) bestDtz = d;
            }
            if (!complete) continue;
            ++checked;
            EXPECT_EQ(collapse(wdl), best) << fen(b);
            if (moves.size() && dtz != 0) {
                const int gap = std::abs(bestDtz) - std::abs(dtz);
                EXPECT_LE(std::abs(gap), 1) << fen(b) << " dtz " << dtz << " one ply " << bestDtz;
            }
        }
    }
    EXPECT_GT(checked, 20 * int(names().size()));
}

// Gaviota's mate distances and Syzygy's WDL over every KQvK and KRvK position and
// random 3- and 4-men ones: the same outcome, a mate within 100 plies is a plain win or loss,
// and in KQvK and KRvK (where the winner never needs a zeroing move) DTZ is the
// distance to mate, one ply short at most for a table that counts in pairs of plies.
TEST_F(SyzygyConsistency, AgreesWithGaviota) {
    GRELVIN_REQUIRE_DATA_FILE(gaviotaDir() + "/kqk.gtb.cp4");
    GaviotaTables gaviota;
    ASSERT_TRUE(gaviota.open(4, {gaviotaDir()}) && gaviota.setCache(32));
    int checked = 0;
    auto compare = [&](Board_BB64 &b, bool distance) {
        unsigned info, plies;
        int wdl, dtz;
        if (!gaviota.probe(b, true, info, plies)) return;
        ASSERT_TRUE(szProbeWdl(tables, b, wdl) && szProbeDtz(tables, b, dtz)) << fen(b);
        const int mated = b.side() == WHITE ? TB_BLACK_MATES : TB_WHITE_MATES;
        // A mated side has Gaviota's loss in 0 plies and Syzygy's DTZ -1.
        const int outcome = info == TB_DRAW ? 0 : info == unsigned(mated) ? -1 : 1;
        const int dtm = outcome * std::max(int(plies), 1);
        ++checked;
        EXPECT_EQ(outcome, (wdl > 0) - (wdl < 0)) << fen(b);
        if (dtm != 0 && std::abs(dtm) <= 100) {
            EXPECT_EQ(std::abs(wdl), 2) << fen(b);
        }
        if (distance && dtm != 0) {
            const int gap = std::abs(dtm) - std::abs(dtz);
            EXPECT_TRUE(gap == 0 || (gap == 1 && dtm < 0)) << fen(b) << " dtm " << dtm << " dtz " << dtz;
        }
    };
    for (const char *name : {"KQvK", "KRvK"}) {
        const bool distance = name[1] == 'Q' || name[1] == 'R';
        for (Square k = 0; k < 64; ++k)
            for (Square p = 0; p < 64; ++p)
                for (Square o = 0; o < 64; ++o) {
                    if (k == p || k == o || p == o || (name[1] == 'P' && (p < 8 || p >= 56))) continue;
                    Board_BB64 b;
                    b.putPieceQuiet(WHITE, KING, k);
                    b.putPieceQuiet(WHITE, int(std::string_view(".PNBRQK").find(name[1])), p);
                    b.putPieceQuiet(BLACK, KING, o);
                    for (Colour side : {WHITE, BLACK}) {
                        b.sideToMove = uint8_t(side);
                        b.rebuildKeys();
                        if (isAttackedBy(b, side, b.kingSquare(opposite(side)))) continue;
                        compare(b, distance);
                        if (HasFailure()) return;
                    }
                }
    }
    for (const std::string &name : names()) {
        SzMaterial m;
        ASSERT_TRUE(szParseName(name, m));
        if (m.men > 4) continue;
        for (int n = 0; n < (m.men == 3 ? 3000 : 300);) {
            Board_BB64 b;
            if (!randomPosition(b, m, rng)) continue;
            ++n;
            compare(b, false);
            if (HasFailure()) return;
        }
    }
    EXPECT_GT(checked, 150000);
}
