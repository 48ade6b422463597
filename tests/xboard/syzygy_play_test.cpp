// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Endgames played with Syzygy tables only: a won position is converted against the
// defence that delays the next zeroing move longest, a drawn one is never lost,
// tbprobe and egtpath answer in the XBoard face, and the ini keys reach the search.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "board/movegen.h"
#include "tablebase/syzygy_probe.h"
#include "tests/test_support.h"
#include "tests/xboard/cursed_table.h"
#include "tests/xboard/engine_session.h"

namespace {

std::string localSyzygy() { return (std::filesystem::path(inTreeDataDir()) / "syzygy").string(); }
std::string sharedSyzygy() { return testDataDir() + "/syzygy"; }

// The reply that keeps the defender's DTZ largest (a draw or win if it has one).
Move stubbornReply(const SyzygyTables &tables, Board_BB64 &b, const MoveList &list) {
    Move best = list[0];
    int bestValue = -1000;
    for (const ScoredMove &sm : list) {
        UndoInfo undo;
        b.makeMove(sm.move, undo);
        int wdl = 0, dtz = 0;
        const bool known = szProbeWdl(tables, b, wdl) && szProbeDtz(tables, b, dtz);
        b.unmakeMove(sm.move, undo);
        // From the mover's side the child's value is negated: prefer the child that
        // is worst for the attacker, then the longest way to zeroing.
        const int value = !known ? -999 : wdl < 0 ? 500 : wdl == 0 ? 400 : 300 - dtz;
        if (value > bestValue) bestValue = value, best = sm.move;
    }
    return best;
}

struct Outcome {
    bool mated = false;     // the defender was mated
    bool engineLost = false;
    bool drawn = false;     // a zeroing-free stretch of 100 plies, or a draw on the board
    int engineMoves = 0;
};

// The engine plays the side to move of fen with the tables of folders; the test
// replies stubbornly with its own prober over the same tables.
Outcome playOut(const std::string &folders, const std::string &fen, int maxEngineMoves) {
    Outcome r;
    SyzygyTables tables;
    tables.load(folders);
    Board_BB64 b;
    b.setFromFEN(fen.c_str());
    EngineSession e({}, "ttHashSizeMB = 8\npawnHashSizeMB = 1\n");
    e.send("xboard");
    e.send("egtpath syzygy " + folders);
    e.send("setboard " + fen);
    e.send("sd 6");
    e.send("go");
    for (; r.engineMoves < maxEngineMoves; ++r.engineMoves) {
        const auto move = e.waitFor([](auto &l) { return isMoveLine(l) || l.find(" {") != l.npos; }, 30s);
        if (!move || !isMoveLine(*move) || !playMoveText(b, move->substr(5))) break;
        MoveList list;
        const bool inCheck = generateAllLegal(b, list);
        int reason = 0;
        if (list.size() == 0 || isDraw(b, reason)) {
            r.mated = list.size() == 0 && inCheck;
            r.drawn = !r.mated;
            ++r.engineMoves;
            break;
        }
        char text[6];
        moveToText(stubbornReply(tables, b, list), text);
        playMoveText(b, text);
        MoveList after;
        if (generateAllLegal(b, after) && after.size() == 0) r.engineLost = true;
        if (isDraw(b, reason) || after.size() == 0) {
            r.drawn = !r.engineLost;
            break;
        }
        e.send(std::string("usermove ") + text);
    }
    e.send("quit");
    EXPECT_EQ(e.waitExit(), 0);
    return r;
}

}  // namespace

TEST(SyzygyPlay, WonEndgamesAreConvertedAndDrawsHeld) {
    initStaticTables();
    struct Game {
        const char *fen;
        bool won;
        int maxMoves;
    };
    // KQvK, KRvK, and KRvKR drawn for either side to move.
    const Game games[] = {
        {"8/8/8/4k3/8/8/8/KQ6 w - - 0 1", true, 12},
        {"8/8/8/8/8/8/1k6/R3K3 w - - 0 1", true, 20},
        {"8/3k4/8/8/8/8/8/R1r1K3 w - - 0 1", false, 12},
        {"8/3k4/8/8/8/8/8/R1r1K3 b - - 0 1", false, 12},
    };
    for (const Game &g : games) {
        const Outcome r = playOut(localSyzygy(), g.fen, g.maxMoves);
        EXPECT_FALSE(r.engineLost) << g.fen;
        if (g.won) {
            EXPECT_TRUE(r.mated) << g.fen << " after " << r.engineMoves;
        }
    }
}

// A pawn ending that passes through promotions, and where the larger data set is
// there, three bishops against a bare king: 5 men, no Gaviota table, DTZ ranking at
// every move.
TEST(SyzygyPlay, FiveMenAndPawnWinsAreConverted) {
    GRELVIN_REQUIRE_DATA_FILE(sharedSyzygy() + "/KPPvK.rtbz");
    initStaticTables();
    std::vector<const char *> fens = {"8/8/8/4k3/8/8/2PP4/4K3 w - - 0 1"};
    if (std::filesystem::exists(sharedSyzygy() + "/KBBBvK.rtbz")) fens.push_back("8/8/8/7B/8/2k1B3/8/1K1B4 w - - 0 1");
    for (const char *fen : fens) {
        const Outcome r = playOut(sharedSyzygy(), fen, 60);
        EXPECT_TRUE(r.mated) << fen << " after " << r.engineMoves;
    }
}

// The path is the rest of the line (a folder name with blanks), and egtpath says how
// many tables it found. A position the tables decide shows their verdict as its score
// from depth 1 on: a win above any evaluation, a draw where the DTZ does not fit in the
// plies the clock leaves.
TEST(SyzygyPlay, TbprobeAndEgtpathAnswer) {
    const std::filesystem::path blanks =
        std::filesystem::temp_directory_path() / ("grelvin syzygy " + std::to_string(::getpid()));
    std::filesystem::create_directory_symlink(localSyzygy(), blanks);
    EngineSession e({}, "ttHashSizeMB = 8\npawnHashSizeMB = 1\n");
    e.send("xboard");
    e.send("egtpath syzygy " + blanks.string());
    e.send("setboard 8/8/8/8/4k3/8/1Q6/K7 b - - 0 1");
    e.send("tbprobe");
    e.send("setboard 8/8/8/4k3/8/8/8/R3K3 w - - 80 1");
    e.send("tbprobe");
    e.send("setboard 8/8/8/8/4k3/8/1Q6/KQ6 b - - 0 1");
    e.send("tbprobe");
    e.send("egtpath syzygy /nonexistent");
    e.send("setboard 8/8/8/8/4k3/8/1Q6/K7 b - - 0 1");
    e.send("tbprobe");
    std::vector<std::string> got;
    for (const std::string &l : e.sync())
        if (l.rfind("# syzygy", 0) == 0 || l.rfind("# initializing", 0) == 0) got.push_back(l);
    const std::vector<std::string> want = {"# initializing TB: type=syzygy path=" + blanks.string(),
                                           "# syzygy: 8 tables found, up to 4 men",
                                           "# syzygy wdl -2 dtz -20 clock 0 loss",
                                           "# syzygy wdl 2 dtz 27 clock 80 draw",
                                           "# syzygy none",
                                           "# initializing TB: type=syzygy path=/nonexistent",
                                           "# syzygy: 0 tables found",
                                           "# syzygy none"};
    EXPECT_EQ(got, want);
    e.send("egtpath syzygy " + localSyzygy());
    e.send("post");
    for (const auto &[fen, won] : {std::pair{"8/8/8/4k3/8/8/8/R3K3 w - - 0 1", true}, {"8/8/8/4k3/8/8/8/R3K3 w - - 80 1", false}}) {
        e.send("new");
        e.send(std::string("setboard ") + fen);
        e.send("sd 3");
        e.send("go");
        const size_t from = e.position();
        ASSERT_TRUE(e.waitFor(isMoveLine, 30s));
        for (size_t i = from; i < e.position(); ++i) {
            int depth = 0, score = 0;
            if (std::sscanf(e.lines()[i].c_str(), "%d %d ", &depth, &score) == 2)
                EXPECT_TRUE(won ? score >= 10000 : score == 0) << fen << " " << e.lines()[i];
        }
    }
    e.send("quit");
    EXPECT_EQ(e.waitExit(), 0);
    std::filesystem::remove(blanks);
}

// The ini keys work from start-up: syzygyPath registers the tables (here a KRvK table
// of cursed wins, tests/xboard/cursed_table.h), and with syzygy50MoveRule = 0 such a
// win is worth taking the knight for; by default it is a draw and the rook keeps it.
TEST(SyzygyPlay, IniKeysReachTheSearch) {
    for (const bool rule : {true, false}) {
        SCOPED_TRACE(rule);
        const std::string ini = std::string("ttHashSizeMB = 8\npawnHashSizeMB = 1\nsyzygyPath = .\n") +
                                (rule ? "" : "syzygy50MoveRule = 0\n");
        EngineSession e({}, ini, writeCursedRookTable);
        e.send("xboard");
        e.send("setboard 8/8/8/4k3/8/8/8/KR6 w - - 0 1");
        e.send("tbprobe");
        EXPECT_EQ(e.waitForPrefix("# syzygy wdl"), std::string("# syzygy wdl 1 dtz none clock 0 ") + (rule ? "draw" : "win"));
        e.send("setboard 6k1/8/8/3n4/8/8/8/3R2K1 w - - 0 1");
        e.send("sd 6");
        e.send("go");
        const auto move = e.waitFor(isMoveLine, 30s);
        ASSERT_TRUE(move);
        EXPECT_EQ(*move == "move d1d5", !rule) << *move;
        e.send("quit");
        EXPECT_EQ(e.waitExit(), 0);
    }
}
