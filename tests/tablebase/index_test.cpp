#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "tablebase/index.h"
#include "tests/test_support.h"

namespace {

enum : Square {
    A1 = 0, B1 = 1, D2 = 11, E2 = 12, A2 = 8, B2 = 9, C3 = 18, D5 = 35, H6 = 47,
    B7 = 49, C7 = 50, D7 = 51, G7 = 54, H7 = 55, A8 = 56, G8 = 62, H8 = 63
};

// One endgame of each class with the class's positions per side and pawn slots.
struct ClassRow {
    const char *name;
    uint32_t positions;
    uint32_t pawnSlots;
};
constexpr ClassRow CLASS_ROWS[] = {
    {"knk", 29568, 1},          {"kpk", 98304, 24},         {"kbkn", 1892352, 1},
    {"kbbk", 931392, 1},        {"kbnk", 1892352, 1},       {"krkp", 6291456, 24},
    {"knpk", 6291456, 24},      {"kppk", 2359296, 576},     {"kpkp", 4718592, 1152},
    {"kbbbk", 19248768, 1},     {"krrnk", 59609088, 1},     {"kbnnk", 59609088, 1},
    {"kqrnk", 121110528, 1},    {"knnkb", 59609088, 1},     {"krbkq", 121110528, 1},
    {"kbbpk", 198180864, 24},   {"krnpk", 402653184, 24},   {"kbppk", 150994944, 576},
    {"krpkn", 402653184, 24},   {"kppkr", 150994944, 576},  {"krrkp", 198180864, 24},
    {"kqnkp", 402653184, 24},   {"knpkp", 301989888, 1152}, {"kppkp", 110886912, 27072},
    {"kpppk", 35422208, 8648},
};

// A placement as lists ended by NO_SQUARE, shaped by an endgame name.
struct Placement {
    Square white[6];
    Square black[6];
    int whiteCount = 0, blackCount = 0;
};

Placement shapeOf(const std::string &name) {
    Placement p;
    const size_t split = name.find('k', 1);
    p.whiteCount = int(split);
    p.blackCount = int(name.size() - split);
    std::fill(std::begin(p.white), std::end(p.white), NO_SQUARE);
    std::fill(std::begin(p.black), std::end(p.black), NO_SQUARE);
    return p;
}

bool kingsTouch(Square a, Square b) { return std::abs(fileOf(a) - fileOf(b)) <= 1 && std::abs(rankOf(a) - rankOf(b)) <= 1; }

bool isLegal(const Placement &p) {
    Bitboard taken = 0;
    for (int i = 0; i < p.whiteCount + p.blackCount; ++i) {
        const Square s = i < p.whiteCount ? p.white[i] : p.black[i - p.whiteCount];
        if (s < 0 || s > 63 || (taken >> s & 1)) return false;
        taken |= Bitboard(1) << s;
    }
    return !kingsTouch(p.white[0], p.black[0]);
}

uint32_t encode(const TbIndexClass *c, const Placement &p) {
    uint32_t index = 0;
    return c->encode(p.white, p.black, index) ? index : TB_NO_INDEX;
}

Placement transformed(Placement p, unsigned flags) {
    for (int i = 0; i < p.whiteCount; ++i) p.white[i] = tbindex::transformSquare(p.white[i], flags);
    for (int i = 0; i < p.blackCount; ++i) p.black[i] = tbindex::transformSquare(p.black[i], flags);
    return p;
}

// A random legal placement: pawns on ranks 2 to 7, everything else anywhere.
Placement randomPlacement(const std::string &name, std::mt19937 &rng) {
    const size_t split = name.find('k', 1);
    for (;;) {
        Placement p = shapeOf(name);
        for (size_t i = 0; i < name.size(); ++i) {
            const Square s = name[i] == 'p' ? Square(8 + rng() % 48) : Square(rng() % 64);
            (i < split ? p.white[i] : p.black[i - split]) = s;
        }
        if (isLegal(p)) return p;
    }
}

class TbIndex : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(tbBuildIndexTables()); }
};

TEST_F(TbIndex, TablesBuildOnceFromManyThreads) {
    std::vector<std::thread> threads;
    std::atomic<int> ok{0};
    for (int i = 0; i < 4; ++i) threads.emplace_back([&] { ok += tbBuildIndexTables(); });
    for (auto &t : threads) t.join();
    EXPECT_EQ(ok.load(), 4);
}

TEST_F(TbIndex, ClassTableAndNames) {
    for (const ClassRow &row : CLASS_ROWS) {
        const TbIndexClass *c = tbIndexClass(row.name);
        ASSERT_NE(c, nullptr) << row.name;
        EXPECT_EQ(c->positionsPerSide, row.positions) << row.name;
        EXPECT_EQ(c->pawnSlots, row.pawnSlots) << row.name;
    }
    // Endgames of one class share its functions; colour-exchanged names are not endgames.
    EXPECT_EQ(tbIndexClass("kqk"), tbIndexClass("knk"));
    EXPECT_EQ(tbIndexClass("kqpkq"), tbIndexClass("knpkn"));
    EXPECT_NE(tbIndexClass("kqqrk"), tbIndexClass("kqrrk"));
    for (const char *bad : {"krkq", "kpkq", "kk", "", "kqk ", "KQK", "kqkrr", "kqqqqk", "kqkrkp"})
        EXPECT_EQ(tbIndexClass(bad), nullptr) << bad;
    EXPECT_EQ(tbIndexClass(nullptr), nullptr);
}

// Every decoded legal placement encodes back to its index: all indexes of the classes up to
// four men, an evenly spread sample of about two million per five-man class.
TEST_F(TbIndex, DecodeThenEncodeRoundTrips) {
    for (const ClassRow &row : CLASS_ROWS) {
        const TbIndexClass *c = tbIndexClass(row.name);
        const uint32_t stride = row.positions <= 8000000 ? 1 : (row.positions / 2000000) | 1;
        uint64_t legal = 0, failures = 0;
        for (uint64_t i = 0; i < row.positions; i += stride) {
            Placement p = shapeOf(row.name);
            c->decode(uint32_t(i), p.white, p.black);
            if (!isLegal(p)) continue;
            ++legal;
            if (encode(c, p) != i && failures++ < 3) ADD_FAILURE() << row.name << " index " << i;
        }
        EXPECT_EQ(failures, 0u) << row.name;
        EXPECT_GT(legal, row.positions / stride / 2) << row.name;
    }
}

// A position and its mirror images share an index. The only exceptions are images that the
// index keeps apart on purpose: pawnless positions with both kings on one long diagonal, and
// two White pawns that are mirror images of each other.
TEST_F(TbIndex, MirrorImagesShareTheIndex) {
    std::mt19937 rng(12345);
    for (const ClassRow &row : CLASS_ROWS) {
        const TbIndexClass *c = tbIndexClass(row.name);
        const bool pawnless = row.pawnSlots == 1;
        const std::string name = row.name;
        const bool twoWhitePawns = name.find("ppk") != std::string::npos && name.find("ppp") == std::string::npos &&
                                   name.back() != 'p';
        for (int n = 0; n < 20000; ++n) {
            const Placement p = randomPlacement(name, rng);
            const uint32_t index = encode(c, p);
            ASSERT_LT(index, row.positions) << row.name;
            const Square wk = p.white[0], bk = p.black[0];
            const bool kingsOnDiagonal = (fileOf(wk) - rankOf(wk) == 0 && fileOf(bk) - rankOf(bk) == 0) ||
                                         (fileOf(wk) + rankOf(wk) == 7 && fileOf(bk) + rankOf(bk) == 7);
            const int pawnsAt = p.whiteCount - 2;
            const bool pawnsMirrored = twoWhitePawns && (p.white[pawnsAt] ^ 7) == p.white[pawnsAt + 1];
            for (unsigned flags = 1; flags < (pawnless ? 8u : 2u); ++flags) {
                const uint32_t image = encode(c, transformed(p, flags));
                if ((pawnless && kingsOnDiagonal) || pawnsMirrored) {
                    EXPECT_NE(image, TB_NO_INDEX) << row.name;
                    continue;
                }
                ASSERT_EQ(image, index) << row.name << " symmetry " << flags;
            }
        }
    }
}

TEST_F(TbIndex, WorkedIndexes) {
    const TbIndexClass *kpk = tbIndexClass("kpk");
    uint32_t index = 0;
    const Square kpkWhite[] = {A1, E2, NO_SQUARE}, kpkBlack[] = {H8, NO_SQUARE};
    ASSERT_TRUE(kpk->encode(kpkWhite, kpkBlack, index));
    EXPECT_EQ(index, 94712u);
    Square white[3], black[2];
    kpk->decode(94712, white, black);  // the mirrored, canonical squares
    EXPECT_EQ(white[0], 7);
    EXPECT_EQ(white[1], D2);
    EXPECT_EQ(black[0], A8);

    // With the kings in canonical form the like pieces are the lowest digit.
    const TbIndexClass *kqqk = tbIndexClass("kqqk");
    uint32_t kings = TB_NO_INDEX;
    for (auto [x, y, expected] : {std::tuple{A1, B1, 0u}, {H8, A1, 62u}, {G8, H8, 2015u}}) {
        const Square w[] = {H6, x, y, NO_SQUARE}, b[] = {C3, NO_SQUARE};
        ASSERT_TRUE(kqqk->encode(w, b, index));
        if (kings == TB_NO_INDEX) kings = index / 2016;
        EXPECT_EQ(index, kings * 2016 + expected);
    }

    // Pawn slots of two White pawns, of two White pawns beside a Black one, and of three.
    const TbIndexClass *kppk = tbIndexClass("kppk"), *kppkp = tbIndexClass("kppkp"), *kpppk = tbIndexClass("kpppk");
    const Square kings2[] = {A1, H8};
    for (auto [p, q, slot] : {std::tuple{H7, G7, 0u}, {G7, H7, 0u}, {E2, D2, 575u}, {D2, E2, 575u}}) {
        const Square w[] = {kings2[0], p, q, NO_SQUARE}, b[] = {kings2[1], NO_SQUARE};
        ASSERT_TRUE(kppk->encode(w, b, index));
        EXPECT_EQ(index / 4096, slot);
    }
    for (auto [p, q, pair] : {std::tuple{H7, G7, 0u}, {A2, B2, 1127u}}) {
        const Square w[] = {A1, p, q, NO_SQUARE}, b[] = {H8, D5, NO_SQUARE};
        ASSERT_TRUE(kppkp->encode(w, b, index));
        EXPECT_EQ(index / 4096, 15 * 1128 + pair);  // the Black pawn on d5 has slot 15
    }
    for (auto [p, q, r, slot] : {std::tuple{C7, H7, D7, 0u}, {D7, C7, B7, 6624u}}) {
        const Square w[] = {A1, p, q, r, NO_SQUARE}, b[] = {H8, NO_SQUARE};
        ASSERT_TRUE(kpppk->encode(w, b, index));
        EXPECT_EQ(index / 4096, slot);
    }
}

// The single piece of K+one+pair is the last digit; in K+pair+one the pair comes first too.
TEST_F(TbIndex, DigitOrder) {
    uint32_t index = 0;
    const Square oneThenPair[] = {H6, G8, A1, B1, NO_SQUARE}, black[] = {C3, NO_SQUARE};
    ASSERT_TRUE(tbIndexClass("kqrrk")->encode(oneThenPair, black, index));
    EXPECT_EQ(index % 64, uint32_t(G8));
    EXPECT_EQ(index / 64 % 2016, 0u);
    const Square pairThenOne[] = {H6, A1, B1, G8, NO_SQUARE};
    ASSERT_TRUE(tbIndexClass("kqqrk")->encode(pairThenOne, black, index));
    EXPECT_EQ(index % 64, uint32_t(G8));
    EXPECT_EQ(index / 64 % 2016, 0u);
    const Square twoThenOne[] = {H6, A1, B1, NO_SQUARE}, blackPiece[] = {C3, G8, NO_SQUARE};
    ASSERT_TRUE(tbIndexClass("krbkq")->encode(twoThenOne, blackPiece, index));
    EXPECT_EQ(index % 64, uint32_t(G8));
    EXPECT_EQ(index / 64 % 4096, uint32_t(A1 * 64 + B1));
}

// Placements without an index, and lists that do not fit the endgame, fail with no index.
TEST_F(TbIndex, EncodersRejectBadPlacements) {
    struct Bad {
        const char *endgame;
        std::vector<Square> white, black;
    };
    const Bad cases[] = {
        {"kpk", {A1, A8, NO_SQUARE}, {H6, NO_SQUARE}},           // pawn on the last rank
        {"kpk", {A1, B1, NO_SQUARE}, {H6, NO_SQUARE}},           // pawn on the first rank
        {"kqk", {E2, D2 + 16, NO_SQUARE}, {E2 + 8, NO_SQUARE}},  // kings side by side
        {"knkp", {D5, H8, NO_SQUARE}, {A1, D5, NO_SQUARE}},      // pawn on a king
        {"kppk", {A1, D5, D5, NO_SQUARE}, {H8, NO_SQUARE}},      // two pawns on one square
        {"kbbk", {A1, C3, C3, NO_SQUARE}, {H8, NO_SQUARE}},      // two bishops on one square
        {"kqk", {A1, 64, NO_SQUARE}, {H8, NO_SQUARE}},           // list ends too early
        {"kqk", {A1, C3, D5, NO_SQUARE}, {H8, NO_SQUARE}},       // list goes on
        {"kqk", {A1, 70, NO_SQUARE}, {H8, NO_SQUARE}},           // off the board
        {"kqk", {A1, -1, NO_SQUARE}, {H8, NO_SQUARE}},
        {"kpppk", {A1, D5, D5 ^ 7, D5, NO_SQUARE}, {H8, NO_SQUARE}},
    };
    for (const Bad &bad : cases) {
        uint32_t index = 0;
        EXPECT_FALSE(tbIndexClass(bad.endgame)->encode(bad.white.data(), bad.black.data(), index)) << bad.endgame;
        EXPECT_EQ(index, TB_NO_INDEX) << bad.endgame;
    }
    uint32_t index = 0;
    const Square white[] = {A1, C3, NO_SQUARE};
    EXPECT_FALSE(tbIndexClass("kqk")->encode(white, nullptr, index));
}

TEST_F(TbIndex, DecodingBeyondTheRangeGivesNoSquares) {
    const TbIndexClass *c = tbIndexClass("kqk");
    Square white[3] = {0, 0, 0}, black[3] = {0, 0, 0};
    c->decode(c->positionsPerSide, white, black);
    for (Square s : white) EXPECT_EQ(s, NO_SQUARE);
    EXPECT_EQ(black[0], NO_SQUARE);
    EXPECT_EQ(black[1], NO_SQUARE);
    EXPECT_EQ(black[2], 0);  // nothing beyond the list is written
}

// The block offset table of every file present covers both sides' index ranges.
TEST_F(TbIndex, IndexRangesMatchFileSizes) {
    const std::filesystem::path dir = std::filesystem::path(testDataDir()) / "gaviota";
    GRELVIN_REQUIRE_DATA_FILE(dir);
    int files = 0;
    for (const auto &entry : std::filesystem::directory_iterator(dir)) {
        const std::string file = entry.path().filename().string();
        if (!file.ends_with(".gtb.cp4")) continue;
        const TbIndexClass *c = tbIndexClass(file.substr(0, file.find('.')).c_str());
        ASSERT_NE(c, nullptr) << file;
        unsigned char header[40];
        std::ifstream in(entry.path(), std::ios::binary);
        ASSERT_TRUE(in.read(reinterpret_cast<char *>(header), sizeof header)) << file;
        const uint32_t tableEnd = header[32] | header[33] << 8 | header[34] << 16 | uint32_t(header[35]) << 24;
        const uint32_t blocksPerSide = (c->positionsPerSide - 1) / 16384 + 1;
        EXPECT_EQ((tableEnd - 40) / 4, 2 * blocksPerSide + 1) << file;
        ++files;
    }
    EXPECT_GT(files, 0);
}

}  // namespace
