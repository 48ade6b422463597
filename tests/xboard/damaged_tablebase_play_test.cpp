// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The engine with a truncated tablebase file: it plays on with legal moves and keeps
// answering, whether a probe lands in the intact part or past the cut.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "board/movegen.h"
#include "tests/xboard/engine_session.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

TEST(DamagedTablebasePlay, TruncatedFileStillGivesLegalMovesAndPongs) {
    const std::string source = testDataDir() + "/gaviota/krkn.gtb.cp4";
    GRELVIN_REQUIRE_DATA_FILE(source);
    const fs::path dir = fs::temp_directory_path() / ("grelvin-truncated-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fs::copy_file(source, dir / "krkn.gtb.cp4", fs::copy_options::overwrite_existing);
    fs::resize_file(dir / "krkn.gtb.cp4", fs::file_size(source) / 2);

    initStaticTables();
    const std::string fen = "8/8/3k4/8/5n2/8/1R6/4K3 w - - 0 1";
    Board_BB64 b;
    ASSERT_TRUE(b.setFromFEN(fen.c_str()));
    {
        EngineSession e({}, "ttHashSizeMB = 8\npawnHashSizeMB = 1\n");
        e.send("xboard");
        e.send("egtpath gaviota " + dir.string());
        e.send("setboard " + fen);
        e.send("level 0 0:20 0");
        e.send("go");
        for (int move = 0; move < 6; ++move) {
            const auto reply = e.waitFor([](auto &l) { return isMoveLine(l) || l.find(" {") != l.npos; }, 20s);
            ASSERT_TRUE(reply) << move;
            if (!isMoveLine(*reply)) break;
            ASSERT_TRUE(playMoveText(b, reply->substr(5))) << *reply;
            MoveList list;
            generateAllLegal(b, list);
            if (list.size() == 0) break;
            char text[6];
            moveToText(list[uint32_t(move * 7) % list.size()], text);
            ASSERT_TRUE(playMoveText(b, text));
            e.send(std::string("usermove ") + text);
        }
        e.send("ping 77");
        EXPECT_TRUE(e.waitForLine("pong 77"));
        e.send("quit");
        EXPECT_EQ(e.waitExit(), 0);
    }
    fs::remove_all(dir);
}
