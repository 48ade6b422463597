// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The book and the random tools as the engine runs them: book moves played without a
// search, the search with its bonus once the book ends, and the random-position and
// random-game commands with their messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "board/movegen.h"
#include "book/book.h"
#include "tests/xboard/xboard_session.h"
#include "tests/test_support.h"

namespace {

std::string bookPath() { return inTreeDataDir() + "/books/selfplay.bin"; }

long countPrefix(const std::vector<std::string> &lines, size_t from, size_t to, const std::string &prefix) {
    return std::count_if(lines.begin() + long(from), lines.begin() + long(to),
                         [&](const std::string &l) { return l.rfind(prefix, 0) == 0; });
}

}  // namespace

TEST(BookPlay, OpeningMovesComeFromTheBookThenTheSearchTakesOver) {
    GRELVIN_REQUIRE_DATA_FILE(bookPath());
    initStaticTables();
    PolyglotBook book(bookPath().c_str());
    EngineSession e({}, SMALL_TABLES + "bookFilePath = " + bookPath() + "\n");
    e.send("xboard");
    e.send("post");
    e.send("new");
    e.send("level 0 0:20 0");
    e.send("go");  // the engine plays White
    Board_BB64 b;
    b.setFromFEN(START_FEN);
    for (int i = 0; i < 4; ++i) {
        const size_t from = e.position();
        const auto move = e.waitFor(isMoveLine);
        ASSERT_TRUE(move);
        // A book move: no thinking line and no bonus before it.
        EXPECT_EQ(countPrefix(e.lines(), from, e.position(), "# out of book"), 0) << *move;
        EXPECT_EQ(countPrefix(e.lines(), from, e.position(), "1 "), 0) << *move;
        ASSERT_TRUE(playMoveText(b, move->substr(5)));
        Move reply = NO_MOVE;
        ASSERT_TRUE(book.probeBook(b, reply)) << "our reply must keep the game in the book";
        char text[6];
        moveToText(reply, text);
        ASSERT_TRUE(playMoveText(b, text));
        e.send(std::string("usermove ") + text);
    }
    // Out of the book: the search runs and the first search gets the bonus.
    e.waitFor(isMoveLine);
    e.send("setboard 4k3/8/8/8/8/8/4P3/4K3 w - - 0 1");
    e.send("go");
    EXPECT_TRUE(e.waitForPrefix("# out of book: corrected maxTime = "));
    EXPECT_TRUE(e.waitFor(isMoveLine));
    // "nobook" and analysis never use the book.
    e.send("new");
    e.send("nobook");
    e.send("sd 3");
    e.send("go");
    EXPECT_TRUE(e.waitForPrefix("3 "));
    EXPECT_TRUE(e.waitFor(isMoveLine));
    e.send("quit");
    EXPECT_EQ(e.waitExit(), 0);
}

TEST(RandomCommands, RandposAndRandgamesThroughTheLoop) {
    EngineSession e({}, SMALL_TABLES);
    e.send("xboard");
    e.sync();
    e.send("randpos");
    auto got = e.sync();
    ASSERT_GE(got.size(), 10u);
    Board_BB64 b;
    EXPECT_TRUE(b.setFromFEN(got[9].c_str())) << got[9];  // the diagram, then the FEN
    e.send("randpos 3 /nonexistent/dir/file");
    got = e.sync();
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.back(), "# ERROR: failed to open file \"/nonexistent/dir/file\" for writing"
                          "# command \"randpos 3 /nonexistent/dir/file\" returned an error code ");
    e.send("randpos 2");
    got = e.sync();
    ASSERT_GE(got.size(), 2u);
    EXPECT_TRUE(b.setFromFEN(got[0].c_str()) && b.setFromFEN(got[1].c_str()));
    EXPECT_EQ(got[2], "# new size of TT hash: 8 MB");  // randpos ends with "new"
    const std::string path = testing::TempDir() + "grelvin_randpos_" + std::to_string(getpid()) + ".fen";
    e.send("randpos 7 " + path);
    EXPECT_EQ(e.sync().at(0), "Wrote 7 random FENs to file \"" + path + "\"");
    std::ifstream written(path);
    EXPECT_EQ(std::count(std::istreambuf_iterator<char>(written), {}, '\n'), 7);
    std::remove(path.c_str());

    e.send("randgames 100");
    got = e.sync(60s);
    ASSERT_GE(got.size(), 3u);
    EXPECT_EQ(got[0], "# Playing 100 random games ...");
    EXPECT_EQ(got[1], std::string(50, '#'));
    EXPECT_NE(std::find(got.begin(), got.end(), "Total games:                               100"), got.end());
    // The games leave the engine neutral: it does not take up a side by itself.
    e.send("new");
    e.send("level 0 0:05 0");
    e.send("go");
    EXPECT_TRUE(e.waitFor(isMoveLine));
    e.send("randgames 2");
    e.send("");
    got = e.sync(60s);
    EXPECT_EQ(std::count_if(got.begin(), got.end(), isMoveLine), 0);
    // The start position is back and the game goes on normally.
    e.send("new");
    e.send("level 0 0:05 0");
    e.send("usermove e2e4");
    EXPECT_TRUE(e.waitFor(isMoveLine));
    e.send("quit");
    EXPECT_EQ(e.waitExit(), 0);
}
