// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The real Gaviota and Syzygy tables checked against chess itself: every value must follow
// from the values after each legal move (promotions into tables stored with the colours
// exchanged and en passant included), symmetries give the same values, and the two agree.
#include <gtest/gtest.h>

#include <algorithm>

#include "tablebase/probe.h"
#include "tablebase/syzygy_probe.h"
#include "tests/tablebase/fixtures.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

// Every legal position of White's king and one man against the lone king, either side to move.
template <class Visit> void forEveryThreeMen(int type, Visit visit) {
    Board_BB64 b;
    for (Square wk = 0; wk < 64; ++wk)
        for (Square man = 0; man < 64; ++man)
            for (Square bk = 0; bk < 64; ++bk)
                for (Colour side : {WHITE, BLACK}) {
                    if (wk == man || wk == bk || man == bk || (type == PAWN && (man < 8 || man >= 56))) continue;
                    b.clear();
                    b.putPieceQuiet(WHITE, KING, wk);
                    b.putPieceQuiet(WHITE, type, man);
                    b.putPieceQuiet(BLACK, KING, bk);
                    b.sideToMove = uint8_t(side);
                    b.rebuildKeys();
                    if (!isAttackedBy(b, side, b.kingSquare(opposite(side)))) visit(b);
                }
}

// Negamax view of a Gaviota answer: wins count down from 1000 with the distance, losses up.
int value(unsigned code, unsigned plies, int side) {
    if (code == TB_DRAW) return 0;
    return code == (side == WHITE ? TB_WHITE_MATES : TB_BLACK_MATES) ? 1000 - int(plies) : int(plies) - 1000;
}

enum class Check { CONSISTENT, UNKNOWN, WRONG };

// The Gaviota answer against the best of its moves' answers; UNKNOWN when a move leads
// into an endgame whose file is not on hand.
Check checkPosition(GaviotaTables &tables, Board_BB64 &b, int *valueOut = nullptr) {
    const Colour us = b.side();
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
        best = std::max(best, child == 0 ? 0 : child > 0 ? -(child - 1) : -(child + 1));  // one ply further
    }
    return best == claimed ? Check::CONSISTENT : Check::WRONG;
}

int collapse(int wdl) { return wdl > 0 ? 2 : wdl < 0 ? -2 : 0; }

// The board with every square mapped through f, and with colours exchanged if asked.
template <class F> Board_BB64 transformed(const Board_BB64 &from, F f, bool swapColours) {
    Board_BB64 to;
    to.clear();
    for (Square s = 0; s < 64; ++s)
        if (from.pieceOn[s]) to.putPieceQuiet(Colour(from.colorOn[s] ^ swapColours), from.pieceOn[s], f(s));
    to.sideToMove = uint8_t(from.sideToMove ^ swapColours);
    to.rebuildKeys();
    return to;
}

class RealTables : public ::testing::Test {
protected:
    const std::string gaviotaDir = testDataDir() + "/gaviota", syzygyDir = testDataDir() + "/syzygy";
    GaviotaTables gaviota;
    SyzygyTables syzygy;
    std::mt19937 rng{20261207};
    void SetUp() override {
        GRELVIN_REQUIRE_DATA_FILE(gaviotaDir + "/kqk.gtb.cp4");
        GRELVIN_REQUIRE_DATA_FILE(syzygyDir + "/KQvK.rtbw");
        initStaticTables();
        ASSERT_TRUE(gaviota.open(4, {gaviotaDir}) && gaviota.setCache(64));
        // The checkout carries 8 Syzygy tables, the larger set all 3- and 4-men ones.
        ASSERT_GE(syzygy.load(syzygyDir), largerDataDir().empty() ? 8 : 35);
    }
    // The Syzygy tables whose every capture and promotion leads to a table on hand: only
    // their positions can be followed move by move.
    std::vector<std::string> closedTables() const {
        const auto present = [&](std::string a, std::string b) {
            const auto byValue = [](char x, char y) {
                return std::string_view("KQRBNP").find(x) < std::string_view("KQRBNP").find(y);
            };
            std::sort(a.begin(), a.end(), byValue);
            std::sort(b.begin(), b.end(), byValue);
            return (a == "K" && b == "K") || fs::exists(syzygyDir + "/" + a + "v" + b + ".rtbw") ||
                   fs::exists(syzygyDir + "/" + b + "v" + a + ".rtbw");
        };
        std::vector<std::string> out;
        for (const auto &e : fs::directory_iterator(syzygyDir)) {
            if (e.path().extension() != ".rtbw") continue;
            const std::string name = e.path().stem().string();
            const std::string sides[2] = {name.substr(0, name.find('v')), name.substr(name.find('v') + 1)};
            bool closed = true;
            for (int s = 0; s < 2; ++s)
                for (size_t i = 1; i < sides[s].size(); ++i)
                    for (char c : std::string_view(sides[s][i] == 'P' ? "xQRBN" : "x")) {  // x: the man is taken
                        std::string after[2] = {sides[0], sides[1]};
                        if (c == 'x') after[s].erase(i, 1);
                        else after[s][i] = c;
                        closed = closed && present(after[0], after[1]);
                    }
            if (closed) out.push_back(name);
        }
        std::sort(out.begin(), out.end());
        return out;
    }
};

}  // namespace

// Every Gaviota three-men position; KQK and KRK take at most 19 and 31 plies to mate.
TEST_F(RealTables, EveryThreeMenGaviotaAnswerFollowsFromTheMoves) {
    for (const char *name : {"kqk", "krk", "kbk", "knk", "kpk"}) {
        int checked = 0, wrong = 0, longest = 0;
        forEveryThreeMen(int(std::string_view(".pnbrqk").find(name[1])), [&](Board_BB64 &b) {
            int v = 0;
            ++checked;
            if (checkPosition(gaviota, b, &v) != Check::CONSISTENT && wrong++ < 5) ADD_FAILURE() << fenOf(b);
            if (b.side() == WHITE && v > 0) longest = std::max(longest, 1000 - v);
        });
        EXPECT_EQ(wrong, 0) << name << " of " << checked;
        EXPECT_EQ(longest, name[1] == 'q' ? 19 : name[1] == 'r' ? 31 : longest) << name;
    }
}

TEST_F(RealTables, RandomFourMenGaviotaAnswersFollowFromTheMoves) {
    constexpr int SAMPLES = 4000;  // per endgame: under ten seconds in Release
    int endgames = 0;
    for (const auto &e : fs::directory_iterator(gaviotaDir)) {
        const std::string name = e.path().filename().string();
        if (name.find('.') != 4 || !name.ends_with(".gtb.cp4")) continue;
        ++endgames;
        int checked = 0, unknown = 0, wrong = 0;
        for (int n = 0; n < SAMPLES;) {
            Board_BB64 b;
            if (!randomBoard(b, name.substr(0, 4), rng)) continue;
            ++n;
            const Check c = checkPosition(gaviota, b);
            unknown += c == Check::UNKNOWN;
            checked += c != Check::UNKNOWN;
            if (c == Check::WRONG && wrong++ < 5) ADD_FAILURE() << name << " " << fenOf(b);
        }
        EXPECT_EQ(wrong, 0) << name;
        // Only moves into endgames missing from the data (a promotion to a rook, say) may
        // leave a position unchecked.
        EXPECT_GT(checked, SAMPLES / 2) << name << " unknown " << unknown;
    }
    // The checkout's own set holds one four-men endgame, the larger set all of them.
    EXPECT_GE(endgames, largerDataDir().empty() ? 1 : 20);
}

// Random positions of the Syzygy tables that can be followed move by move. The colour
// flip with the ranks mirrored, the file mirror and without pawns the diagonal reflection
// give the same WDL and DTZ. The WDL is the best of the moves' (50-move distinctions
// aside); the DTZ has the WDL's sign and class, and is the one-ply best over the moves to
// within a ply either way (tables that count in pairs of plies round the distance down).
TEST_F(RealTables, SyzygyValuesFollowFromSymmetriesAndMoves) {
    int mirrored = 0, followed = 0;
    const std::vector<std::string> names = closedTables();
    for (const std::string &name : names) {
        const bool pawns = name.find('P') != std::string::npos;
        const int moveSamples = name.size() <= 5 ? 60 : 200;
        for (int n = 0; n < std::max(150, moveSamples);) {
            Board_BB64 b;
            if (!randomBoard(b, name, rng, Colour(rng() & 1))) continue;
            int wdl, dtz;
            ASSERT_TRUE(szProbeWdl(syzygy, b, wdl) && szProbeDtz(syzygy, b, dtz)) << fenOf(b);
            const auto expectSame = [&](auto f, bool swap, const char *what) {
                Board_BB64 t = transformed(b, f, swap);
                int w2, d2;
                ASSERT_TRUE(szProbeWdl(syzygy, t, w2) && szProbeDtz(syzygy, t, d2)) << fenOf(t);
                EXPECT_TRUE(w2 == wdl && d2 == dtz) << what << " " << fenOf(b) << ": " << w2 << " " << d2;
                ++mirrored;
            };
            if (n < 150) {
                expectSame([](Square s) { return s ^ 56; }, true, "colour flip");
                expectSame([](Square s) { return s ^ 7; }, false, "file mirror");
                if (!pawns) expectSame([](Square s) { return ((s & 7) << 3) | (s >> 3); }, false, "diagonal");
            }
            if (n++ >= moveSamples) continue;
            EXPECT_EQ((dtz > 0) - (dtz < 0), (wdl > 0) - (wdl < 0)) << fenOf(b);
            EXPECT_EQ(std::abs(dtz) > 100, std::abs(wdl) == 1) << fenOf(b);
            MoveList moves;
            const bool inCheck = generateAllLegal(b, moves);
            int best = moves.size() ? -3 : inCheck ? -2 : 0, bestDtz = 0;
            bool complete = true;
            for (const ScoredMove &sm : moves) {
                const bool zeroing = b.pieceOn[moveTo(sm.move)] || b.pieceOn[moveFrom(sm.move)] == PAWN;
                UndoInfo undo;
                b.makeMove(sm.move, undo);
                int cw = 0, cd = 0;
                const bool known = szProbeWdl(syzygy, b, cw) && (zeroing || szProbeDtz(syzygy, b, cd));
                MoveList replies;
                const bool mates = generateAllLegal(b, replies) && replies.size() == 0;
                b.unmakeMove(sm.move, undo);
                if (!(complete = known)) break;  // a promotion into a table the set lacks
                best = std::max(best, -collapse(cw));
                int d = zeroing ? szZeroingDtz(-cw) : mates ? 1 : -cd + (cd < 0 ? 1 : cd > 0 ? -1 : 0);
                if (d != 0 && (d > 0) == (dtz > 0) && (bestDtz == 0 || d < bestDtz)) bestDtz = d;
            }
            if (!complete) continue;
            ++followed;
            EXPECT_EQ(collapse(wdl), best) << fenOf(b);
            const int gap = moves.size() && dtz != 0 ? std::abs(bestDtz) - std::abs(dtz) : 0;
            EXPECT_LE(std::abs(gap), 1) << fenOf(b) << " dtz " << dtz << " one ply " << bestDtz;
        }
    }
    EXPECT_GT(mirrored, 250 * int(names.size()));
    EXPECT_GT(followed, 20 * int(names.size()));
}

// Gaviota's mate distances against Syzygy's values over every KQK and KRK position and
// random 3- and 4-men ones: the same outcome, a mate within 100 plies is a plain win or
// loss, and in KQK and KRK (where the winner never needs a zeroing move) DTZ is the
// distance to mate, one ply short at most for a table that counts in pairs of plies.
TEST_F(RealTables, GaviotaAndSyzygyAgree) {
    int checked = 0;
    const auto compare = [&](Board_BB64 &b, bool distance) {
        unsigned info, plies;
        int wdl, dtz;
        if (!gaviota.probe(b, true, info, plies)) return;
        ASSERT_TRUE(szProbeWdl(syzygy, b, wdl) && szProbeDtz(syzygy, b, dtz)) << fenOf(b);
        // A mated side has Gaviota's loss in 0 plies and Syzygy's DTZ -1.
        const unsigned mated = b.side() == WHITE ? TB_BLACK_MATES : TB_WHITE_MATES;
        const int outcome = info == TB_DRAW ? 0 : info == mated ? -1 : 1;
        const int dtm = outcome * std::max(int(plies), 1);
        ++checked;
        EXPECT_EQ(outcome, (wdl > 0) - (wdl < 0)) << fenOf(b);
        EXPECT_TRUE(dtm == 0 || std::abs(dtm) > 100 || std::abs(wdl) == 2) << fenOf(b);
        const int gap = distance && dtm != 0 ? std::abs(dtm) - std::abs(dtz) : 0;
        EXPECT_TRUE(gap == 0 || (gap == 1 && dtm < 0)) << fenOf(b) << " dtm " << dtm << " dtz " << dtz;
    };
    for (int type : {QUEEN, ROOK})
        forEveryThreeMen(type, [&](Board_BB64 &b) {
            if (!HasFailure()) compare(b, true);
        });
    for (const std::string &name : closedTables()) {
        if (name.size() > 5) continue;
        for (int n = 0; n < (name.size() == 4 ? 3000 : 300) && !HasFailure();) {
            Board_BB64 b;
            if (!randomBoard(b, name, rng, Colour(rng() & 1))) continue;
            ++n;
            compare(b, false);
        }
    }
    EXPECT_GT(checked, 150000);
}
