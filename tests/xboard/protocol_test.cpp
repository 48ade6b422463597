// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The engine driven over its standard input where a recorded session cannot show it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <random>

#include "board/movegen.h"
#include "tests/xboard/xboard_session.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

constexpr auto DEADLINE = 10s;

std::string failure(const std::string &command) { return "# command \"" + command + "\" returned an error code "; }

Lines join(Lines a, const Lines &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

long countFrom(const EngineSession &e, size_t from, const std::string &prefix) {
    return std::count_if(e.lines().begin() + long(from), e.lines().end(),
                         [&](const std::string &l) { return l.rfind(prefix, 0) == 0; });
}

// The knights leave and come back: n plies that change nothing.
Lines knights(int plies) {
    const char *cycle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    Lines out;
    for (int i = 0; i < plies; ++i) out.push_back(std::string("usermove ") + cycle[i % 4]);
    return out;
}

void sendAll(EngineSession &e, const Lines &commands) {
    for (const std::string &c : commands) e.send(c);
}

void expectReplies(EngineSession &e, const std::vector<std::pair<std::string, Lines>> &rows) {
    for (const auto &[command, reply] : rows) {
        e.send(command);
        EXPECT_EQ(e.sync(DEADLINE), reply) << command;
    }
}

// The depth of a thinking line, -1 for any other line.
int depthOf(const std::string &l) { return std::isdigit(static_cast<unsigned char>(l[0])) ? std::stoi(l) : -1; }

struct TempFolder {
    std::string path = (fs::temp_directory_path() / ("grelvin_files_" + std::to_string(getpid()))).string();
    TempFolder() { fs::remove_all(path), fs::create_directories(path); }
    ~TempFolder() { fs::remove_all(path); }
    std::string fifo(const std::string &name) const {
        EXPECT_EQ(mkfifo((path + "/" + name).c_str(), 0600), 0) << name;
        return path + "/" + name;
    }
};

const Lines NEW_GAME = {"# new size of TT hash: 8 MB", "# new size of Pawn hash: 1 MB", "# rnbqkbnr", "# pppppppp",
                        "# ........", "# ........", "# ........", "# ........", "# PPPPPPPP", "# RNBQKBNR", "#"};

}  // namespace

// The console and the tools: prompts, line ends, garbage, long lines; a FIFO where a file
// is read or written cannot be opened and is never waited on.
TEST(Protocol, ConsoleToolsAndFifos) {
    TempFolder folder;
    const std::string fifo = folder.fifo("fifo"), fens = folder.path + "/fens.txt";
    folder.fifo("kqk.gtb.cp4");
    EngineSession e({}, {}, [](const std::string &dir) { mkfifo((dir + "/grelvin.ini").c_str(), 0600); });
    e.send("ping 1");
    e.send("xboard");
    e.send("ping 2 \r");
    ASSERT_TRUE(e.waitForLine("pong 2", DEADLINE)) << "stuck on the ini file";
    EXPECT_EQ(Lines(e.lines().end() - 3, e.lines().end()), (Lines{"# Your move: pong 1", "# Your move: ", "pong 2"}));
    e.send("option ttHashSizeMB=8");
    e.send("option pawnHashSizeMB=1");
    e.sync();

    std::mt19937 rng(20261206);
    for (int i = 0; i < 60; ++i) {
        std::string line(rng() % 1500, ' ');
        for (char &c : line) c = char(1 + rng() % 255);
        std::replace(line.begin(), line.end(), '\n', 'n');
        e.send(line);
    }
    sendAll(e, {"perft 99999", "divide 64", "perft 2147483648", "divide -2147483649", "perft \t1",
                "ping 99999999999999999999", "ping -", "ping \x01", "eval x", "tune a b c", "randpos a b c",
                "level 1 2:3:4 5", "setboard", "usermove \xff\xfe", "sd 99999", "egtpath a", "time"});
    e.sync();
    e.send("perft 2");
    const Lines perft = e.sync();
    EXPECT_NE(std::find(perft.begin(), perft.end(), "# Total leaves: 400"), perft.end()) << "garbage moved the game";
    for (const char *fen : {"8/8/8/8/8/8/8/8 w - - 0 1", "k7/8/8/8/8/8/8/R6K w - - 0 1",
                            "kkkkkkkk/8/8/8/8/8/8/KKKKKKKK w - - 0 1",
                            "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e3 0 1",
                            "rnbqkbnr/pppppppppppppppppppppppppppppp/8/8 w - - 0 1",
                            "pppppppp/pppppppp/pppppppp/pppppppp/pppppppp/pppppppp/pppppppp/pppppppp b - - 0 1",
                            "\x80\x81 \x82 \x83 \x84", "/ / / /"})
        sendAll(e, {std::string("setboard ") + fen, "perft 2", "divide 1", "eval", "go", "force"});
    sendAll(e, {"setboard 4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1", "perft 1"});
    const Lines castles = e.sync();
    EXPECT_NE(std::find(castles.begin(), castles.end(), "# Total leaves: 26"), castles.end());

    const std::string readError = "# ERROR: failed to open file \"" + fifo + "\" for reading";
    const std::string writeError = "# ERROR: failed to open file \"" + fifo + "\" for writing";
    expectReplies(e, {{"", {}},
                      {"test " + fifo, {readError, failure("test " + fifo)}},
                      {"randpos 3 " + fifo, {writeError + failure("randpos 3 " + fifo)}},
                      {"randpos 7 " + fens, join({"Wrote 7 random FENs to file \"" + fens + "\""}, NEW_GAME)}});
    std::ifstream written(fens);
    EXPECT_EQ(std::count(std::istreambuf_iterator<char>(written), {}, '\n'), 7);
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    expectReplies(e, {{"randpos 3 " + fifo, {writeError + failure("randpos 3 " + fifo)}}});
    char buffer[256];
    EXPECT_LE(read(reader, buffer, sizeof buffer), 0) << "FENs written into the FIFO";
    close(reader);

    initStaticTables();
    Board_BB64 b;
    e.send("randpos");
    Lines got = e.sync();
    ASSERT_EQ(got.size(), 10u);
    EXPECT_TRUE(b.setFromFEN(got[9].c_str())) << got[9];
    e.send("randpos 2");
    got = e.sync();
    ASSERT_EQ(got.size(), 2 + NEW_GAME.size());
    EXPECT_TRUE(b.setFromFEN(got[0].c_str()) && b.setFromFEN(got[1].c_str()));
    EXPECT_EQ(Lines(got.begin() + 2, got.end()), NEW_GAME);
    e.send("randgames 100");
    got = e.sync(60s);
    ASSERT_GE(got.size(), 4u);
    EXPECT_EQ(Lines(got.begin(), got.begin() + 4), (Lines{"# Playing 100 random games ...", std::string(50, '#'),
                                                          "calculate average values ...",
                                                          "Total games:                               100"}));
    sendAll(e, {"new", "sd 3", "go"});
    EXPECT_TRUE(e.waitFor(isMoveLine));
    const size_t from = e.position();
    sendAll(e, {"randgames 2", ""});
    e.sync(60s);
    e.drain(500ms);
    EXPECT_EQ(countFrom(e, from, "move "), 0);

    expectReplies(e, {{"option bookFilePath=" + fifo, {"# setting option: bookFilePath=" + fifo}}, {"new", NEW_GAME}});
    sendAll(e, {"sd 3", "go"});
    EXPECT_TRUE(e.waitFor(isMoveLine, DEADLINE)) << "no move without the book";
    e.sync();
    expectReplies(e, {{"egtpath gaviota " + folder.path, {"# initializing TB: type=gaviota path=" + folder.path}}});
    sendAll(e, {"setboard 8/8/8/4k3/8/8/8/KQ6 w - - 0 1", "sd 4", "go"});
    EXPECT_TRUE(e.waitFor(isMoveLine, DEADLINE)) << "no move in a KQK position";

    // A full game record refuses the user's move and the engine's.
    sendAll(e, join({"new", "force"}, knights(768)));
    e.sync(60s);
    expectReplies(e, {{"usermove g1f3", {"Error (game record full, no more moves can be played): g1f3",
                                         failure("usermove g1f3")}},
                      {"go", {"# game record full: no more moves can be played"}}});
    sendAll(e, {"new", "sd 2", "usermove e2e4"});
    EXPECT_TRUE(e.waitFor(isMoveLine));
#ifdef NDEBUG  // the full table takes far too long in a debug or sanitizer build
    e.send("selftest");
    got = e.sync(120s);
    EXPECT_NE(std::find(got.begin(), got.end(), "18 tests passed, 0 tests failed, 0 tests skipped, total 18 tests run:"),
              got.end());
    for (int n : {1, 6, 12, 16, 17, 19, 20})
        EXPECT_EQ(std::count_if(got.begin(), got.end(), [&](auto &l) {
                      return l.rfind("# Self-test no. " + std::to_string(n) + " passed: n=", 0) == 0;
                  }), 1) << n;
    EXPECT_EQ(Lines(got.end() - long(NEW_GAME.size()), got.end()), NEW_GAME);
#endif
    quit(e);
}

// Under the real clock (exact budgets: session 10) a clock at zero or below still moves at
// once; an increment beyond the clock brings the guard, no increment none.
TEST(Protocol, TimeBudgetsAtTheClocksEdge) {
    const std::string position = "setboard r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3";
    const std::pair<Lines, std::string> cases[] = {
        {{"new", "level 40 1 0", "time -500", "otim -500", "usermove d2d4"}, ""},
        {{"time 0", "usermove c2c4"}, ""},
        {{position, "level 0 0 5", "time 30", "go"}, "# clock guard: maxTime = 17"},
        {{position, "level 1 0:01 0", "time 100", "go"}, ""},
    };
    auto e = protocolEngine();
    for (const auto &[commands, guard] : cases) {
        const size_t from = e->position();
        sendAll(*e, commands);
        EXPECT_TRUE(e->waitFor(isMoveLine, 5s)) << commands.back();
        EXPECT_EQ(countFrom(*e, from, guard.empty() ? "# clock guard" : guard), guard.empty() ? 0 : 1) << commands[0];
        e->sync();
    }
    quit(*e);
}

// A stopped search ends without a move; analysis answers at once, restarts on a move or
// take-back, deepens on through a refused tool command, and never plays.
TEST(Protocol, StoppedSearchesAndAnalysisNeverMove) {
    auto e = protocolEngine();
    sendAll(*e, {"post", "sd 60", "go"});
    EXPECT_TRUE(e->waitForPrefix("4 "));
    e->send("force");
    e->sync();
    sendAll(*e, {"new", "analyze"});
    EXPECT_TRUE(e->waitForPrefix("6 "));
    e->send("ping 7");
    EXPECT_TRUE(e->waitForLine("pong 7", 2s));
    e->send("usermove e2e4");
    EXPECT_TRUE(e->waitForLine("# making user move: e2e4"));
    EXPECT_TRUE(e->waitForPrefix("5 "));
    e->send("undo");
    EXPECT_TRUE(e->waitForPrefix("5 "));
    auto last = e->waitFor([](auto &l) { return depthOf(l) >= 0; });
    ASSERT_TRUE(last);
    for (const std::string command : {"randgames 0", "randgames abc"}) {
        e->send(command);
        const Lines got = e->sync();
        EXPECT_NE(std::find(got.begin(), got.end(), failure(command)), got.end());
        int before = depthOf(*last);
        for (const std::string &l : got) {
            EXPECT_NE(l.rfind("# Playing", 0), 0u) << command;
            if (depthOf(l) < 0) continue;
            EXPECT_GE(depthOf(l), before) << command;
            before = depthOf(l);
        }
        last = e->waitFor([](auto &l) { return depthOf(l) >= 0; }, 60s);
        ASSERT_TRUE(last) << command;
        EXPECT_GE(depthOf(*last), before) << command;
    }
    const size_t from = e->position();
    e->send("exit");
    e->sync();
    EXPECT_EQ(countFrom(*e, from, "# timeout"), 0);
    e->send("analyze");
    EXPECT_TRUE(e->waitForPrefix("4 "));
    quit(*e);
    EXPECT_EQ(e->errorOutput(), "");  // sanitizer reports
    EXPECT_EQ(std::count_if(e->lines().begin(), e->lines().end(), isMoveLine), 0);
}

// Two threads: searches started and stopped, threads changed, eval while thinking, auto
// mode, random-game mode, the input ending during a search.
TEST(Protocol, TwoThreadSearchesStartStopAndEvalDuringPlay) {
    auto e = protocolEngine({"-cores", "2"});
    for (int round = 0; round < 6; ++round) {
        sendAll(*e, {"new", round % 2 ? "cores 1" : "cores 2", "level 0 0:30 0", "usermove e2e4", "eval", "eval"});
        EXPECT_TRUE(round % 3 != 0 || e->waitFor(isMoveLine));
        e->send("force");  // stops a search that may still run
    }
    sendAll(*e, {"new", "level 0 0:02 0", "auto"});
    for (int moves = 0, tries = 0; moves < 6 && tries < 400; ++tries) {
        if (e->waitFor(isMoveLine, 50ms)) ++moves;
        if (tries % 10 == 0) e->send("eval");
        e->send(tries % 7 == 0 ? "auto" : "");
    }
    EXPECT_GE(std::count_if(e->lines().begin(), e->lines().end(), isMoveLine), 6);
    initStaticTables();
    Board_BB64 b;
    b.setFromFEN(START_FEN);
    sendAll(*e, {"new", "cores 2", "randgame"});
    for (const char *m : {"e2e4", "d2d4", "g1f3"}) {
        if (!playMoveText(b, m)) break;
        e->send(std::string("usermove ") + m);
        const auto reply = e->waitFor(isMoveLine);
        ASSERT_TRUE(reply);
        ASSERT_TRUE(playMoveText(b, reply->substr(5))) << *reply;
    }
    sendAll(*e, {"new", "level 0 60 0", "go"});
    EXPECT_TRUE(e->waitForPrefix("3 "));
    const size_t from = e->position();
    e->closeInput();
    EXPECT_EQ(e->waitExit(), 0);
    EXPECT_EQ(countFrom(*e, from, "move "), 0);
}

// Auto mode plays both sides, one move per input line, until "force" (or mate: session 08).
TEST(Protocol, AutoModeMovesOncePerLineUntilMateOrForce) {
    auto e = protocolEngine();
    sendAll(*e, {"new", "sd 2", "auto"});
    for (int move = 0; move < 3; ++move) {
        const size_t from = e->position();
        ASSERT_TRUE(e->waitFor(isMoveLine)) << move;
        e->drain(700ms);  // no further move without a line
        EXPECT_EQ(countFrom(*e, from, "move "), 1) << move;
        e->send("ping 1");
    }
    ASSERT_TRUE(e->waitFor(isMoveLine));
    e->drain(300ms);
    e->send("force");
    for (int i = 0; i < 3; ++i) e->sync();
    e->drain(700ms);
    const size_t afterForce = e->position();
    e->sync();
    EXPECT_EQ(countFrom(*e, afterForce, "move "), 0);
    quit(*e);
}
