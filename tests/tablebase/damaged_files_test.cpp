// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Damaged copies of a real file: whatever the damage, a probe either fails or gives
// the answer of the intact file, and never crashes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>

#include "board/movegen.h"
#include "tablebase/probe.h"
#include "tablebase/module.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;

namespace {

constexpr const char *ENDGAME = "krkn";

struct Answer {
    bool known;
    unsigned info, plies;
};

// Random legal positions of king and rook against king and knight, either side to move.
std::vector<Board_BB64> samplePositions(int n) {
    std::vector<Board_BB64> boards;
    std::mt19937 rng(20240611);
    while (int(boards.size()) < n) {
        Board_BB64 b;
        b.clear();
        const int pieces[4][2] = {{WHITE, KING}, {WHITE, ROOK}, {BLACK, KING}, {BLACK, KNIGHT}};
        bool ok = true;
        for (const auto &[colour, type] : pieces) {
            const Square s = Square(rng() % 64);
            if (b.pieceOn[s]) ok = false;
            else b.putPieceQuiet(Colour(colour), type, s);
        }
        if (!ok) continue;
        b.sideToMove = uint8_t(rng() % 2);
        b.rebuildKeys();
        const Colour us = b.side();
        if (isAttackedBy(b, us, b.kingSquare(opposite(us)))) continue;
        boards.push_back(b);
    }
    return boards;
}

std::vector<Answer> probeAll(const std::string &dir, const std::vector<Board_BB64> &boards) {
    GaviotaTables tables;
    const bool open = tables.open(4, {dir}) && tables.setCache(1);
    std::vector<Answer> answers;
    for (const Board_BB64 &b : boards) {
        Answer a{};
        a.known = open && tables.probe(b, true, a.info, a.plies);
        answers.push_back(a);
    }
    return answers;
}

class DamagedTablebase : public ::testing::Test {
protected:
    std::string source, work;
    std::vector<Board_BB64> boards;
    std::vector<Answer> intact;

    void SetUp() override {
        source = testDataDir() + "/gaviota/" + ENDGAME + ".gtb.cp4";
        GRELVIN_REQUIRE_DATA_FILE(source);
        initStaticTables();
        work = (fs::temp_directory_path() / ("grelvin-damaged-" + std::to_string(::getpid()))).string();
        fs::create_directories(work);
        boards = samplePositions(3000);
        fs::copy_file(source, target(), fs::copy_options::overwrite_existing);
        // The shared data may be read-only, and Windows deletes no read-only file.
        fs::permissions(target(), fs::perms::owner_write, fs::perm_options::add);
        intact = probeAll(work, boards);
        ASSERT_EQ(std::count_if(intact.begin(), intact.end(), [](const Answer &a) { return a.known; }),
                  long(boards.size()));
    }
    void TearDown() override {
        if (!work.empty()) fs::remove_all(work);
    }
    std::string target() const { return work + "/" + ENDGAME + ".gtb.cp4"; }

    std::vector<char> bytes() const {
        std::ifstream in(source, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    void write(const std::vector<char> &data) const {
        std::ofstream out(target(), std::ios::binary | std::ios::trunc);
        out.write(data.data(), std::streamsize(data.size()));
    }
    // Probes every sample on the damaged copy: the number answered; a different answer
    // is a failure.
    int compare(const std::string &what) {
        const std::vector<Answer> got = probeAll(work, boards);
        int answered = 0;
        for (size_t i = 0; i < boards.size(); ++i) {
            if (!got[i].known) continue;
            ++answered;
            EXPECT_TRUE(got[i].info == intact[i].info && got[i].plies == intact[i].plies)
                << what << ": sample " << i << " answered " << got[i].info << "/" << got[i].plies << " instead of "
                << intact[i].info << "/" << intact[i].plies;
        }
        return answered;
    }
};

// The blocks before the cut still answer; the rest fail.
TEST_F(DamagedTablebase, TruncatedFileAnswersOnlyRightOrNotAtAll) {
    const std::vector<char> data = bytes();
    for (size_t keep : {data.size() * 3 / 5, data.size() / 10, size_t(100), size_t(30), size_t(0)}) {
        write(std::vector<char>(data.begin(), data.begin() + long(keep)));
        const int answered = compare("cut at " + std::to_string(keep));
        EXPECT_LT(answered, int(boards.size())) << keep;
        if (keep == data.size() * 3 / 5) {
            EXPECT_GT(answered, 0);
        }
    }
}

// Flipped bits inside the compressed blocks: a block may fail to decode, but what is
// answered is what the intact file says.
TEST_F(DamagedTablebase, FlippedBitsNeverChangeAnAnswer) {
    const std::vector<char> data = bytes();
    std::mt19937 rng(7);
    // The blocks start after the header and the offset table, well within 4 KB.
    const size_t firstBlockByte = 4096;
    for (int round = 0; round < 8; ++round) {
        std::vector<char> damaged = data;
        for (int flip = 0; flip < 40; ++flip) {
            const size_t at = firstBlockByte + rng() % (data.size() - firstBlockByte);
            damaged[at] = char(damaged[at] ^ (1 << (rng() % 8)));
        }
        write(damaged);
        compare("round " + std::to_string(round));
    }
}

}  // namespace
