// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Endgames played with tablebases: won ones are won, drawn ones never lost.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <functional>

#include "board/movegen.h"
#include "platform/random.h"
#include "tablebase/probe.h"
#include "tablebase/syzygy_probe.h"
#include "tests/test_support.h"
#include "tests/xboard/xboard_session.h"

namespace {

namespace fs = std::filesystem;

std::string gaviotaDir() { return testDataDir() + "/gaviota"; }
std::string localSyzygy() { return (fs::path(inTreeDataDir()) / "syzygy").string(); }
std::string sharedSyzygy() { return testDataDir() + "/syzygy"; }

// The mate score of b for the side to move, or false.
bool gaviotaScore(const Board_BB64 &b, int &score) {
    static GaviotaTables tables;
    static const bool open = tables.open(4, {gaviotaDir()}) && tables.setCache(8);
    unsigned info = TB_FORBIDDEN, plies = 0;
    if (!open || !tables.probe(b, true, info, plies) || info == TB_FORBIDDEN) return false;
    const unsigned weMate = b.side() == WHITE ? TB_WHITE_MATES : TB_BLACK_MATES;
    score = info == TB_DRAW ? 0 : info == weMate ? MATE_SCORE - int(plies) : int(plies) - MATE_SCORE;
    return true;
}

using Reply = std::function<Move(Board_BB64 &, const MoveList &)>;

Move randomReply(Board_BB64 &, const MoveList &list) { return list[uint32_t(nextRandom()) % list.size()]; }

// The reply that keeps the defender's DTZ largest (a draw or win if it has one).
Reply stubbornReply(const SyzygyTables &tables) {
    return [&tables](Board_BB64 &b, const MoveList &list) {
        Move best = list[0];
        int bestValue = -1000;
        for (const ScoredMove &sm : list) {
            UndoInfo undo;
            b.makeMove(sm.move, undo);
            int wdl = 0, dtz = 0;
            const bool known = szProbeWdl(tables, b, wdl) && szProbeDtz(tables, b, dtz);
            b.unmakeMove(sm.move, undo);
            // Worst for the attacker first, then the longest way to zeroing.
            const int value = !known ? -999 : wdl < 0 ? 500 : wdl == 0 ? 400 : 300 - dtz;
            if (value > bestValue) bestValue = value, best = sm.move;
        }
        return best;
    };
}

struct Outcome {
    bool mated = false, engineLost = false;
    int engineMoves = 0;
    std::vector<int> scores;  // the engine's Gaviota scores before each of its moves
};

// The engine plays fen's side to move within limit, answered by reply, until the game ends.
Outcome playOut(EngineSession &e, const std::string &fen, const std::string &limit, int maxEngineMoves,
                const Reply &reply) {
    Outcome r;
    Board_BB64 b;
    b.setFromFEN(fen.c_str());
    e.send("new");
    e.sync();  // past the end of the game before
    for (const std::string &c : std::vector<std::string>{"setboard " + fen, limit, "go"}) e.send(c);
    for (int reason = 0; r.engineMoves < maxEngineMoves; ++r.engineMoves) {
        if (int s = 0; gaviotaScore(b, s)) r.scores.push_back(s);
        const auto move = e.waitFor([](auto &l) { return isMoveLine(l) || l.find(" {") != l.npos; }, 30s);
        if (!move || !isMoveLine(*move) || !playMoveText(b, move->substr(5))) break;
        MoveList list;
        const bool inCheck = generateAllLegal(b, list);
        if (list.size() == 0 || isDraw(b, reason)) {
            r.mated = list.size() == 0 && inCheck;
            ++r.engineMoves;
            break;
        }
        char text[6];
        moveToText(reply(b, list), text);
        playMoveText(b, text);
        MoveList after;
        r.engineLost = generateAllLegal(b, after) && after.size() == 0;
        if (isDraw(b, reason) || after.size() == 0) break;
        e.send(std::string("usermove ") + text);
    }
    return r;
}

}  // namespace

// Mate as fast as the tables say against random defence, KPK drawn not lost; a truncated
// table and re-initialising the tables while two threads probe leave the engine answering.
TEST(TablebasePlay, Gaviota) {
    GRELVIN_REQUIRE_DATA_FILE(gaviotaDir() + "/kqk.gtb.cp4");
    initStaticTables();
    auto e = protocolEngine();
    e->send("egtpath gaviota " + gaviotaDir());
    unsigned seed = 1;
    for (const char *fen : {"8/8/8/4k3/8/8/8/KQ6 w - - 0 1", "8/8/3k4/8/8/8/8/R3K3 w - - 0 1",
                            "1k6/8/8/8/4K3/8/8/7Q w - - 0 1", "8/8/8/8/8/2k5/8/K6R w - - 0 1"}) {
        Board_BB64 b;
        b.setFromFEN(fen);
        int start = 0;
        ASSERT_TRUE(gaviotaScore(b, start)) << fen;
        seedRandom(seed++);
        const Outcome r = playOut(*e, fen, "level 0 0:30 0", 40, randomReply);
        EXPECT_TRUE(r.mated) << fen;
        EXPECT_LE(r.engineMoves, (MATE_SCORE - start + 1) / 2) << fen;
        for (int s : r.scores) EXPECT_GT(s, MATE_BOUND) << fen;
    }
    seedRandom(7);
    const Outcome draw = playOut(*e, "4k3/8/8/4P3/4K3/8/8/8 b - - 0 1", "level 0 0:30 0", 15, randomReply);
    EXPECT_FALSE(draw.mated || draw.engineLost);
    for (int s : draw.scores) EXPECT_EQ(s, 0);

    const fs::path damaged = fs::temp_directory_path() / ("grelvin-truncated-" + std::to_string(::getpid()));
    fs::create_directories(damaged);
    fs::copy_file(gaviotaDir() + "/krkn.gtb.cp4", damaged / "krkn.gtb.cp4", fs::copy_options::overwrite_existing);
    fs::resize_file(damaged / "krkn.gtb.cp4", fs::file_size(damaged / "krkn.gtb.cp4") / 2);
    e->send("egtpath gaviota " + damaged.string());
    const Outcome r = playOut(*e, "8/8/3k4/8/5n2/8/1R6/4K3 w - - 0 1", "level 0 0:20 0", 6, randomReply);
    EXPECT_FALSE(r.engineLost);
    e->send("ping 77");
    EXPECT_TRUE(e->waitForLine("pong 77"));
    fs::remove_all(damaged);

    e->send("cores 2");
    e->send("setboard 8/8/1k6/8/2P5/1K6/1P6/8 w - - 0 1");
    e->send("analyze");
    for (int i = 0; i < 20; ++i) {
        e->send(i % 3 == 0 ? "egtpath gaviota " + gaviotaDir()
                : i % 3 == 1 ? "option gtbCacheSizeMB=" + std::to_string(i)
                             : "option gtbPath=/nonexistent;" + gaviotaDir());
        e->drain(20ms);
    }
    e->send("exit");
    quit(*e);
    EXPECT_EQ(e->errorOutput().find("Sanitizer"), std::string::npos) << e->errorOutput();
}

// Won endings are won against the defence that delays zeroing longest, KRvKR not lost
// (tbprobe and the verdict at the root: session 11).
TEST(TablebasePlay, Syzygy) {
    initStaticTables();
    auto e = protocolEngine();
    SyzygyTables local, shared;
    local.load(localSyzygy());
    shared.load(sharedSyzygy());
    struct Game {
        const char *fen;
        bool won;
        int maxMoves;
        bool shared;
    };
    std::vector<Game> games = {{"8/8/8/4k3/8/8/8/KQ6 w - - 0 1", true, 12, false},
                               {"8/8/8/8/8/8/1k6/R3K3 w - - 0 1", true, 20, false},
                               {"8/3k4/8/8/8/8/8/R1r1K3 w - - 0 1", false, 12, false},
                               {"8/8/8/4k3/8/8/2PP4/4K3 w - - 0 1", true, 60, true}};
    if (fs::exists(sharedSyzygy() + "/KBBBvK.rtbz")) games.push_back({"8/8/8/7B/8/2k1B3/8/1K1B4 w - - 0 1", true, 60, true});
    for (const Game &g : games) {
        e->send("egtpath syzygy " + (g.shared ? sharedSyzygy() : localSyzygy()));
        const Outcome r = playOut(*e, g.fen, "sd 6", g.maxMoves, stubbornReply(g.shared ? shared : local));
        EXPECT_FALSE(r.engineLost) << g.fen;
        EXPECT_TRUE(!g.won || r.mated) << g.fen << " after " << r.engineMoves;
    }
    quit(*e);
}
