// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The real Gaviota and Syzygy tables: values follow from the moves, symmetries and known values
// agree, also from racing threads, and damaged copies answer right or not at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <sstream>
#include <thread>

#include "tablebase/module.h"
#include "tablebase/probe.h"
#include "tablebase/syzygy_format.h"
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

// The Gaviota answer against the best of its moves'; UNKNOWN when a move leaves the files on hand.
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
        ASSERT_TRUE(gaviota.open(10, {gaviotaDir}) && gaviota.setCache(64));  // no scheme 10: .cp4 files
        ASSERT_GE(syzygy.load(syzygyDir), largerDataDir().empty() ? 8 : 35);
    }
    // The Syzygy tables whose every capture and promotion leads to a table on hand.
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

// Each board's answer from the file as code + 8 * plies, -1 when the probe fails.
std::vector<int> probeAll(const ScratchDir &dir, const Bytes &file, const std::vector<Board_BB64> &boards,
                          bool indexIntact = true) {
    writeBytes(dir / "krkn.gtb.cp4", file);
    GaviotaTables tables;
    const bool open = tables.open(4, {dir.path.string()}) && tables.setCache(1);
    std::vector<int> answers;
    for (const Board_BB64 &b : boards) {
        unsigned info = 0, plies = 0;
        answers.push_back(open && tables.probe(b, true, info, plies) ? int(info + 8 * plies) : -1);
    }
    // A failure leaves the endgame unavailable until the tables are opened again.
    const auto status = [&] { return tables.module().status[findEndgame("krkn")]; };
    if (open && std::count(answers.begin(), answers.end(), -1)) {
        EXPECT_EQ(status(), TB_STATUS_UNAVAILABLE);
        EXPECT_TRUE(tables.open(4, {dir.path.string()}) && (status() == TB_STATUS_FILES || !indexIntact));
    }
    return answers;
}

struct Known {
    std::string fen;
    int tableWdl, wdl, dtz;
};

std::vector<Known> knownValues() {
    std::vector<Known> rows;
    for (const std::string &line : readCaseLines("tablebase/syzygy_known.txt")) {
        Known k;
        std::istringstream in(line);
        in >> k.tableWdl >> k.wdl >> k.dtz >> std::ws;
        std::getline(in, k.fen);
        rows.push_back(k);
    }
    return rows;
}

}  // namespace

// Every three-men position (KQK and KRK mate within 19 and 31 plies) and random four-men ones.
TEST_F(RealTables, GaviotaAnswersFollowFromTheMoves) {
    constexpr int SAMPLES = 4000;  // per four-men endgame: under ten seconds in Release
    int endgames[5] = {};
    for (const auto &e : fs::directory_iterator(gaviotaDir)) {
        const std::string file = e.path().filename().string(), name = file.substr(0, file.find('.'));
        if (!file.ends_with(".gtb.cp4") || name.size() > 4) continue;
        int checked = 0, unknown = 0, wrong = 0, longest = 0;
        const auto check = [&](Board_BB64 &b) {
            int v = 0;
            const Check c = checkPosition(gaviota, b, &v);
            unknown += c == Check::UNKNOWN;
            checked += c != Check::UNKNOWN;
            if (c == Check::WRONG && wrong++ < 5) ADD_FAILURE() << name << " " << fenOf(b);
            if (b.side() == WHITE && v > 0) longest = std::max(longest, 1000 - v);
        };
        ++endgames[name.size()];
        if (name.size() == 3) forEveryThreeMen(int(std::string_view(".pnbrqk").find(name[1])), check);
        for (int n = 0; n < SAMPLES && name.size() == 4;) {
            Board_BB64 b;
            if (!randomBoard(b, name, rng)) continue;
            ++n;
            check(b);
        }
        EXPECT_EQ(wrong, 0) << name;
        EXPECT_EQ(unknown, name.size() == 3 ? 0 : unknown) << name;
        // Only moves into endgames missing from the data may leave a position unchecked.
        EXPECT_GT(checked, name.size() == 3 ? 0 : SAMPLES / 2) << name << " unknown " << unknown;
        EXPECT_EQ(longest, name == "kqk" ? 19 : name == "krk" ? 31 : longest) << name;
    }
    EXPECT_EQ(endgames[3], 5);
    EXPECT_GE(endgames[4], largerDataDir().empty() ? 1 : 20);
}

// Colour flip, file mirror and (without pawns) diagonal give the same WDL and DTZ; the WDL is
// the best of the moves', the DTZ the one-ply best to within a ply (some tables count pairs).
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

// Gaviota against Syzygy: the same outcome, a mate within 100 plies is no cursed win, and in KQK
// and KRK (no zeroing move needed) DTZ is the mate distance, a ply short at most.
TEST_F(RealTables, GaviotaAndSyzygyAgree) {
    int checked = 0;
    const auto compare = [&](Board_BB64 &b, bool distance) {
        unsigned info, plies;
        int wdl, dtz;
        if (!gaviota.probe(b, true, info, plies)) return;
        ASSERT_TRUE(szProbeWdl(syzygy, b, wdl) && szProbeDtz(syzygy, b, dtz)) << fenOf(b);
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

// Cut files answer from the blocks before the cut only; flipped bits never change an answer.
TEST(DamagedFiles, GaviotaAnswersRightOrNotAtAll) {
    const std::string source = testDataDir() + "/gaviota/krkn.gtb.cp4";
    GRELVIN_REQUIRE_DATA_FILE(source);
    initStaticTables();
    const ScratchDir dir("damaged-gtb");
    std::mt19937 rng(20240611);
    std::vector<Board_BB64> boards(3000);
    for (Board_BB64 &b : boards)
        while (!randomBoard(b, "krkn", rng)) continue;
    const Bytes good = readBytes(source);
    struct Damage {
        std::string what;
        Bytes bytes;
        bool cut;  // or offsets damaged: some probe fails
    };
    std::vector<Damage> damages;
    for (size_t keep : {good.size() * 3 / 5, good.size() / 10, size_t(100), size_t(30), size_t(0)})
        damages.push_back({"cut at " + std::to_string(keep), Bytes(good.begin(), good.begin() + long(keep)), true});
    for (int round = 0; round < 8; ++round) {
        Bytes bytes = good;
        // The blocks start after the header and the offset table, well within 4 KB.
        for (int flip = 0; flip < 40; ++flip) bytes[4096 + rng() % (good.size() - 4096)] ^= uint8_t(1 << rng() % 8);
        damages.push_back({"flips, round " + std::to_string(round), bytes, false});
    }
    // Offsets: the second far ahead, the last claiming 8 MB for its block, the table ending in the header.
    const size_t tableEnd = size_t(good[32] | good[33] << 8);
    for (auto [at, value] : {std::pair<size_t, uint32_t>{44, 0x7F7F7F7F}, {tableEnd - 4, 8u << 20}, {32, 39}}) {
        Bytes bytes = good;
        for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(value >> (8 * i));
        damages.push_back({"offset at " + std::to_string(at), bytes, true});
    }
    const std::vector<int> intact = probeAll(dir, good, boards);
    ASSERT_EQ(std::count(intact.begin(), intact.end(), -1), 0);
    for (const Damage &d : damages) {
        const std::vector<int> got = probeAll(dir, d.bytes, boards, !d.cut);
        int answered = 0;
        for (size_t i = 0; i < boards.size(); ++i) {
            if (got[i] < 0) continue;
            ++answered;
            EXPECT_EQ(got[i], intact[i]) << d.what << ": " << fenOf(boards[i]);
        }
        EXPECT_TRUE(!d.cut || answered < int(boards.size())) << d.what;
        EXPECT_TRUE(&d != &damages[0] || answered > 0) << d.what;  // the first cut keeps blocks
    }
}

// Each damage is refused at first need, naming the file; the other tables still answer.
TEST(DamagedFiles, SyzygyFilesAreRefused) {
    initStaticTables();
    const ScratchDir dir("damaged-syzygy");
    const std::string local = inTreeDataDir() + "/syzygy/";
    const Bytes good = readBytes(local + "KQvK.rtbw");
    ASSERT_EQ(good.size(), 272u);
    const auto with = [&](auto change) {
        Bytes bytes = good;
        change(bytes);
        return bytes;
    };
    const std::pair<const char *, Bytes> damaged[] = {
        {"truncated", with([](Bytes &b) { b.resize(b.size() - 64); })},
        {"cut short", with([](Bytes &b) { b.resize(100); })},
        {"empty", {}},
        {"magic", with([](Bytes &b) { b[1] ^= 0x10; })},
        {"one byte more", with([](Bytes &b) { b.push_back(0); })},
        {"pawn flag", with([](Bytes &b) { b[4] |= 2; })},
        {"piece code", with([](Bytes &b) { b[6] = 0xEA; })},
        {"block count", with([](Bytes &b) { b[16] = 3; })},
        {"block length", with([](Bytes &b) { b[96] ^= 1; })},
        {"code lengths", with([](Bytes &b) { b[20] = 40; })},
        {"symbol loop", with([](Bytes &b) { b[38] = 0x00, b[39] = 0x00, b[40] = 0x00; })},
    };
    for (const char *other : {"KRvK.rtbw", "KRvK.rtbz"}) writeBytes(dir / other, readBytes(local + other));
    Board_BB64 queen, rook;
    ASSERT_TRUE(queen.setFromFEN("8/8/8/8/4k3/8/1Q6/K7 b - - 0 1"));
    ASSERT_TRUE(rook.setFromFEN("8/8/8/8/4k3/8/1R6/K7 b - - 0 1"));
    for (const auto &[what, bytes] : damaged) {
        SCOPED_TRACE(what);
        writeBytes(dir / "KQvK.rtbw", bytes);
        SyzygyTables tables;
        ASSERT_EQ(tables.load(dir.path.string()), 2);
        int wdl = 7;
        EXPECT_FALSE(szProbeWdl(tables, queen, wdl));
        EXPECT_FALSE(szProbeWdl(tables, queen, wdl));  // refused once, stays refused
        const auto problems = tables.takeProblems();
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_NE(problems[0].find("KQvK.rtbw"), std::string::npos) << problems[0];
        EXPECT_TRUE(szProbeWdl(tables, rook, wdl));
        EXPECT_EQ(wdl, -2);
    }
}

// A file's name gives its material: K and up to six pieces a side, seven men at most,
// in capitals; anything else names no table.
TEST(SyzygyNames, MaterialOrRefusal) {
    const struct {
        const char *name;
        int men, uniquePieces;
        bool pawns, symmetric;
    } cases[] = {{"KQvK", 3, 3, false, false}, {"KPvKP", 4, 4, true, true}, {"KRPPvKRP", 7, 5, true, false},
                 {"KBNNvKQ", 6, 4, false, false}};
    for (const auto &c : cases) {
        SzMaterial m;
        ASSERT_TRUE(szParseName(c.name, m)) << c.name;
        EXPECT_EQ(m.men, c.men) << c.name;
        EXPECT_EQ(m.uniquePieces, c.uniquePieces) << c.name;
        EXPECT_EQ(m.hasPawns, c.pawns) << c.name;
        EXPECT_EQ(m.symmetric, c.symmetric) << c.name;
    }
    for (const char *bad : {"KRPPvKRPP", "KQvk", "QKvK", "KKvK", "KQv", "vK", "KQK", "KXvK", "KQvKv", ""}) {
        SzMaterial m;
        EXPECT_FALSE(szParseName(bad, m)) << bad;
    }
}

// Rows whose tables the checkout lacks need the larger set. Threads racing to open the
// same files get the same answers, and no file is refused.
TEST(SyzygyProbe, KnownPositionsFromOneThreadAndFromFour) {
    initStaticTables();
    const std::string folders = inTreeDataDir() + "/syzygy" + SZ_PATH_SEPARATOR + testDataDir() + "/syzygy";
    SyzygyTables tables;
    ASSERT_GE(tables.load(folders), 8);
    std::vector<std::pair<Board_BB64, const Known *>> covered;
    const std::vector<Known> known = knownValues();
    ASSERT_EQ(known.size(), 16u);
    for (const Known &k : known) {
        SCOPED_TRACE(k.fen);
        Board_BB64 b;
        ASSERT_TRUE(b.setFromFEN(k.fen.c_str()));
        int raw = 9, wdl = 9, dtz = 999;
        const SzLookup found = tables.tableWdl(b, raw);
        if (found == SzLookup::NO_TABLE && !testDataRequired()) continue;
        covered.push_back({b, &k});
        EXPECT_EQ(found, SzLookup::FOUND);
        EXPECT_EQ(raw, k.tableWdl);
        EXPECT_TRUE(szProbeWdl(tables, b, wdl));
        EXPECT_EQ(wdl, k.wdl);
        EXPECT_TRUE(szProbeDtz(tables, b, dtz));
        EXPECT_EQ(dtz, k.dtz);
    }
    ASSERT_GE(covered.size(), 5u);
    EXPECT_TRUE(tables.takeProblems().empty());
    for (int round = 0; round < 4; ++round) {
        SyzygyTables fresh;
        fresh.load(folders);
        std::atomic<int> waiting{4}, wrong{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&, t] {
                for (waiting.fetch_sub(1); waiting.load() > 0;) std::this_thread::yield();
                for (size_t i = 0; i < covered.size(); ++i) {
                    auto [b, k] = covered[(i + size_t(t)) % covered.size()];
                    int wdl = 9, dtz = 999;
                    if (!szProbeWdl(fresh, b, wdl) || !szProbeDtz(fresh, b, dtz) || wdl != k->wdl || dtz != k->dtz)
                        wrong.fetch_add(1);
                }
            });
        for (std::thread &t : threads) t.join();
        EXPECT_EQ(wrong.load(), 0);
        EXPECT_TRUE(fresh.takeProblems().empty());
    }
}
