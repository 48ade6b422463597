// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include <gtest/gtest.h>

#include <random>

#include "tablebase/index.h"

namespace {

enum : Square {
    A1 = 0, B1 = 1, A2 = 8, B2 = 9, D2 = 11, E2 = 12, C3 = 18, D5 = 35, E5 = 36, H6 = 47,
    B7 = 49, C7 = 50, D7 = 51, G7 = 54, H7 = 55, A8 = 56, G8 = 62, H8 = 63
};

// One endgame of each class with the class's positions per side and pawn slots.
struct ClassRow {
    const char *name;
    uint32_t positions, pawnSlots;
};
constexpr ClassRow CLASS_ROWS[] = {
    {"knk", 29568, 1},        {"kpk", 98304, 24},        {"kbkn", 1892352, 1},       {"kbbk", 931392, 1},
    {"kbnk", 1892352, 1},     {"krkp", 6291456, 24},     {"knpk", 6291456, 24},      {"kppk", 2359296, 576},
    {"kpkp", 4718592, 1152},  {"kbbbk", 19248768, 1},    {"krrnk", 59609088, 1},     {"kbnnk", 59609088, 1},
    {"kqrnk", 121110528, 1},  {"knnkb", 59609088, 1},    {"krbkq", 121110528, 1},    {"kbbpk", 198180864, 24},
    {"krnpk", 402653184, 24}, {"kbppk", 150994944, 576}, {"krpkn", 402653184, 24},   {"kppkr", 150994944, 576},
    {"krrkp", 198180864, 24}, {"kqnkp", 402653184, 24},  {"knpkp", 301989888, 1152}, {"kppkp", 110886912, 27072},
    {"kpppk", 35422208, 8648},
};

// The men of an endgame name as two lists ended by NO_SQUARE; p[i] is the i-th man of the name.
struct Placement {
    Square white[6], black[6];
    int whiteCount, men;
    explicit Placement(const std::string &name) : whiteCount(int(name.find('k', 1))), men(int(name.size())) {
        std::fill_n(white, 6, NO_SQUARE);
        std::fill_n(black, 6, NO_SQUARE);
    }
    Square &operator[](int i) { return i < whiteCount ? white[i] : black[i - whiteCount]; }
};

bool isLegal(Placement &p) {
    Bitboard taken = 0;
    for (int i = 0; i < p.men; ++i) {
        if (p[i] < 0 || p[i] > 63 || (taken >> p[i] & 1)) return false;
        taken |= Bitboard(1) << p[i];
    }
    const Square a = p.white[0], b = p.black[0];
    return std::abs(fileOf(a) - fileOf(b)) > 1 || std::abs(rankOf(a) - rankOf(b)) > 1;
}

uint32_t encode(const TbIndexClass *c, const Placement &p) {
    uint32_t index = 0;
    return c->encode(p.white, p.black, index) ? index : TB_NO_INDEX;
}

class TbIndex : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(tbBuildIndexTables()); }
};

// Every decoded legal placement encodes back to its index: all indexes of the classes up to
// four men, an evenly spread sample of about two million per five-man class.
TEST_F(TbIndex, ClassSizesAndDecodeThenEncodeRoundTrips) {
    for (const ClassRow &row : CLASS_ROWS) {
        const TbIndexClass *c = tbIndexClass(row.name);
        ASSERT_NE(c, nullptr) << row.name;
        EXPECT_EQ(c->positionsPerSide, row.positions) << row.name;
        EXPECT_EQ(c->pawnSlots, row.pawnSlots) << row.name;
        const uint32_t stride = row.positions <= 8000000 ? 1 : (row.positions / 2000000) | 1;
        uint64_t legal = 0, failures = 0;
        for (uint64_t i = 0; i < row.positions; i += stride) {
            Placement p(row.name);
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
// two White pawns that are mirror images of each other. Arbitrary squares, on the board or
// not, either fail or give an index inside the range.
TEST_F(TbIndex, MirrorImagesShareTheIndexAndAnySquaresStayInRange) {
    std::mt19937 rng(12345);
    for (const ClassRow &row : CLASS_ROWS) {
        const TbIndexClass *c = tbIndexClass(row.name);
        const bool pawnless = row.pawnSlots == 1;
        const std::string name = row.name;
        const bool twoWhitePawns = name.find("ppk") != std::string::npos && name.find("ppp") == std::string::npos &&
                                   name.back() != 'p';
        for (int n = 0; n < 20000; ++n) {
            Placement p(name), junk(name);
            do {
                for (int i = 0; i < p.men; ++i) p[i] = name[i] == 'p' ? Square(8 + rng() % 48) : Square(rng() % 64);
            } while (!isLegal(p));
            const uint32_t index = encode(c, p);
            ASSERT_LT(index, row.positions) << row.name;
            const Square wk = p.white[0], bk = p.black[0];
            const bool kingsOnDiagonal = (fileOf(wk) - rankOf(wk) == 0 && fileOf(bk) - rankOf(bk) == 0) ||
                                         (fileOf(wk) + rankOf(wk) == 7 && fileOf(bk) + rankOf(bk) == 7);
            const int pawnsAt = p.whiteCount - 2;
            const bool pawnsMirrored = twoWhitePawns && (p.white[pawnsAt] ^ 7) == p.white[pawnsAt + 1];
            for (int i = 0; i < junk.men; ++i) junk[i] = Square(rng() % 68) - 2;
            const uint32_t junkIndex = encode(c, junk);
            ASSERT_TRUE(junkIndex == TB_NO_INDEX || junkIndex < row.positions) << row.name;
            for (unsigned flags = 1; flags < (pawnless ? 8u : 2u); ++flags) {
                Placement image = p;
                for (int i = 0; i < p.men; ++i) image[i] = tbindex::transformSquare(p[i], flags);
                const uint32_t imageIndex = encode(c, image);
                const bool keptApart = (pawnless && kingsOnDiagonal) || pawnsMirrored;
                ASSERT_TRUE(keptApart ? imageIndex != TB_NO_INDEX : imageIndex == index) << row.name << " " << flags;
            }
        }
    }
}

// Encodes lists given without their end marker; TB_NO_INDEX when the encoder fails.
uint32_t encodeLists(const char *endgame, std::vector<Square> white, std::vector<Square> black) {
    white.push_back(NO_SQUARE);
    black.push_back(NO_SQUARE);
    uint32_t index = 0;
    const bool ok = tbIndexClass(endgame)->encode(white.data(), black.data(), index);
    EXPECT_EQ(ok, index != TB_NO_INDEX) << endgame;
    return index;
}

TEST_F(TbIndex, WorkedIndexes) {
    EXPECT_EQ(encodeLists("kpk", {A1, E2}, {H8}), 94712u);
    Square white[3], black[2];
    tbIndexClass("kpk")->decode(94712, white, black);  // the mirrored, canonical squares
    EXPECT_EQ((std::vector<Square>{white[0], white[1], black[0]}), (std::vector<Square>{7, D2, A8}));

    // With the kings in canonical form (c3 and h6) the like pieces are the lowest digit.
    const uint32_t kings = encodeLists("kqqk", {H6, A1, B1}, {C3}) / 2016;
    EXPECT_EQ(encodeLists("kqqk", {H6, H8, A1}, {C3}), kings * 2016 + 62);
    EXPECT_EQ(encodeLists("kqqk", {H6, G8, H8}, {C3}), kings * 2016 + 2015);
    // The single piece of K+one+pair is the last digit, as in K+pair+one.
    EXPECT_EQ(encodeLists("kqrrk", {H6, G8, A1, B1}, {C3}), kings * 2016 * 64 + G8);
    EXPECT_EQ(encodeLists("kqqrk", {H6, A1, B1, G8}, {C3}), kings * 2016 * 64 + G8);
    EXPECT_EQ(encodeLists("krbkq", {H6, A1, B1}, {C3, G8}), (kings * 4096 + A1 * 64 + B1) * 64 + G8);

    // Pawn slots of two White pawns, of three, and of two White pawns beside a Black one
    // (the Black pawn on d5 has slot 15).
    EXPECT_EQ(encodeLists("kppk", {A1, H7, G7}, {H8}) / 4096, 0u);
    EXPECT_EQ(encodeLists("kppk", {A1, D2, E2}, {H8}) / 4096, 575u);
    EXPECT_EQ(encodeLists("kpppk", {A1, C7, H7, D7}, {H8}) / 4096, 0u);
    EXPECT_EQ(encodeLists("kpppk", {A1, D7, C7, B7}, {H8}) / 4096, 6624u);
    EXPECT_EQ(encodeLists("kppkp", {A1, G7, H7}, {H8, D5}) / 4096, 15 * 1128u);
    EXPECT_EQ(encodeLists("kppkp", {A1, A2, B2}, {H8, D5}) / 4096, 15 * 1128u + 1127);
}

// Endgames of one class share its functions; colour-exchanged names are not endgames.
// Placements without an index, and lists that do not fit the endgame, have no index.
TEST_F(TbIndex, BadNamesAndPlacementsHaveNoIndex) {
    EXPECT_EQ(tbIndexClass("kqk"), tbIndexClass("knk"));
    EXPECT_EQ(tbIndexClass("kqpkq"), tbIndexClass("knpkn"));
    EXPECT_NE(tbIndexClass("kqqrk"), tbIndexClass("kqrrk"));
    for (const char *bad : {"krkq", "kpkq", "kk", "", "kqk ", "KQK", "kqkrr", "kqqqqk", "kqkrkp"})
        EXPECT_EQ(tbIndexClass(bad), nullptr) << bad;
    EXPECT_EQ(tbIndexClass(nullptr), nullptr);
    const struct {
        const char *endgame;
        std::vector<Square> white, black;
    } cases[] = {
        {"kpk", {A1, A8}, {H6}},          // pawn on the last rank
        {"kpk", {A1, B1}, {H6}},          // and on the first
        {"kqk", {E2, D5}, {D2}},          // kings side by side
        {"kpkp", {E2, D5}, {D2, B7}},     // also with pawns
        {"knkp", {D5, H8}, {A1, D5}},     // pawn on a king
        {"kbbk", {A1, C3, C3}, {H8}},     // like pieces on one square
        {"kpppk", {A1, D5, E5, D5}, {H8}},
        {"kqk", {A1, NO_SQUARE}, {H8}},   // list ends too early
        {"kqk", {A1, C3, D5}, {H8}},      // list goes on
        {"kqk", {A1, 70}, {H8}},          // off the board
        {"kqk", {A1, -1}, {H8}},
    };
    for (const auto &c : cases) EXPECT_EQ(encodeLists(c.endgame, c.white, c.black), TB_NO_INDEX) << c.endgame;
    uint32_t index = 0;
    const Square white[] = {A1, C3, NO_SQUARE};
    EXPECT_FALSE(tbIndexClass("kqk")->encode(white, nullptr, index));

    // Decoding beyond the range writes end markers over the lists and nothing past them.
    Square decodedWhite[3] = {0, 0, 0}, decodedBlack[3] = {0, 0, 0};
    tbIndexClass("kqk")->decode(29568, decodedWhite, decodedBlack);
    EXPECT_EQ((std::vector<Square>(decodedWhite, decodedWhite + 3)), (std::vector<Square>(3, NO_SQUARE)));
    EXPECT_EQ((std::vector<Square>(decodedBlack, decodedBlack + 3)), (std::vector<Square>{NO_SQUARE, NO_SQUARE, 0}));
}

}  // namespace
