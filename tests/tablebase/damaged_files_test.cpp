// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Damaged copies of real tablebase files: a probe fails or gives the intact file's answer.
#include <gtest/gtest.h>

#include "tablebase/probe.h"
#include "tablebase/syzygy_probe.h"
#include "tests/tablebase/fixtures.h"
#include "tests/test_support.h"

namespace {

// Each board's answer from the file as code + 8 * plies, -1 when the probe fails.
std::vector<int> probeAll(const ScratchDir &dir, const Bytes &file, const std::vector<Board_BB64> &boards) {
    writeBytes(dir / "krkn.gtb.cp4", file);
    GaviotaTables tables;
    const bool open = tables.open(4, {dir.path.string()}) && tables.setCache(1);
    std::vector<int> answers;
    for (const Board_BB64 &b : boards) {
        unsigned info = 0, plies = 0;
        answers.push_back(open && tables.probe(b, true, info, plies) ? int(info + 8 * plies) : -1);
    }
    return answers;
}

}  // namespace

// Cut files answer from the blocks before the cut only; flipped bits inside the
// compressed blocks may make a block fail to decode, but never change an answer.
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
        bool cut;
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
    const std::vector<int> intact = probeAll(dir, good, boards);
    ASSERT_EQ(std::count(intact.begin(), intact.end(), -1), 0);
    for (const Damage &d : damages) {
        const std::vector<int> got = probeAll(dir, d.bytes, boards);
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

// Each kind of damage is refused when the table is first needed, with a message naming
// the file; the damaged table then gives no answers and the others still do.
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
