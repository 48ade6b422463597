// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Fancy magic bitboards: per-square multiplier, shift and offset into one shared table
// of slider attacks, rook blocks first, then bishop blocks.
#include <cassert>
#include <mutex>

#include "board/bitboard.h"

// Multipliers found offline by scripts/find_magics.cpp; any value that maps every
// occupancy subset of the mask without a destructive collision would do. The bit count
// of each entry equals the size of its mask (checked at compile time below).
constexpr Magic rookMagic[64] = {
    // rank 1
    {0x0E00102102048040ULL, 12}, {0x8040001000402008ULL, 11}, {0x0280200008100080ULL, 11}, {0x8180048008011000ULL, 11},
    {0x0100080010050002ULL, 11}, {0x020008A110120004ULL, 11}, {0x9100010004288200ULL, 11}, {0x2100010000218052ULL, 12},
    // rank 2
    {0x0000800080B44004ULL, 11}, {0x2A09002302400184ULL, 10}, {0x0009001102A00040ULL, 10}, {0x0001002090040900ULL, 10},
    {0x0008800400880080ULL, 10}, {0x080A001014884200ULL, 10}, {0x0424001A30040948ULL, 10}, {0x040100008061000AULL, 11},
    // rank 3
    {0x1040018000204880ULL, 11}, {0xD005404000201000ULL, 10}, {0x0007050040200050ULL, 10}, {0x000122000A001040ULL, 10},
    {0x0806020010201804ULL, 10}, {0xC102808042001400ULL, 10}, {0x02401C0002080110ULL, 10}, {0x0020020021004484ULL, 11},
    // rank 4
    {0x4009C00080008020ULL, 11}, {0x0011008500400960ULL, 10}, {0x004500C300102000ULL, 10}, {0x8490008080280050ULL, 10},
    {0x0050840080800800ULL, 10}, {0x0004040080800200ULL, 10}, {0x2000888400021001ULL, 10}, {0x2018848200004421ULL, 11},
    // rank 5
    {0x0000804000800832ULL, 11}, {0x0030042018400040ULL, 10}, {0x8024423202002382ULL, 10}, {0x3051100081802800ULL, 10},
    {0x4006640080804800ULL, 10}, {0x000D802A00802400ULL, 10}, {0x0041080224008910ULL, 10}, {0x0812440082003041ULL, 11},
    // rank 6
    {0x0100884016608000ULL, 11}, {0x4060004000828028ULL, 10}, {0x08A0030210410020ULL, 10}, {0x0000080010008080ULL, 10},
    {0x8108048801010010ULL, 10}, {0x008A001804220010ULL, 10}, {0x0020C81E41340050ULL, 10}, {0x9000040040920001ULL, 11},
    // rank 7
    {0x60800420014011C0ULL, 11}, {0x0200C30208208200ULL, 10}, {0x2604116005410100ULL, 10}, {0x0880300080080080ULL, 10},
    {0x8200040058008180ULL, 10}, {0x01000400803A0080ULL, 10}, {0x100801104208A400ULL, 10}, {0x0001000140820300ULL, 11},
    // rank 8
    {0x2108104900800061ULL, 12}, {0x000420C002110289ULL, 11}, {0x04CA9A0280401022ULL, 11}, {0x0200890430010021ULL, 11},
    {0x0342000448112062ULL, 11}, {0x0021002400181601ULL, 11}, {0x3000104091020804ULL, 11}, {0x0801002043040082ULL, 12},
};

constexpr Magic bishopMagic[64] = {
    // rank 1
    {0x69C0FA480A008012ULL,  6}, {0x0804040082020410ULL,  5}, {0x0804040082020410ULL,  5}, {0x0804040082020410ULL,  5},
    {0x442C10A824000C00ULL,  5}, {0xA202080C44044208ULL,  5}, {0xA202080C44044208ULL,  5}, {0x0022011402024202ULL,  6},
    // rank 2
    {0x0004501010008080ULL,  5}, {0x0054020C4802014CULL,  5}, {0x0400100410822100ULL,  5}, {0x0000080859004010ULL,  5},
    {0x0080011040000008ULL,  5}, {0x0040011008040C02ULL,  5}, {0x0022011402024202ULL,  5}, {0x0022011402024202ULL,  5},
    // rank 3
    {0x1040080504048410ULL,  5}, {0x2020001A0EA40103ULL,  5}, {0xC002001000220C20ULL,  7}, {0x8038080304110084ULL,  7},
    {0x0A020084030C0010ULL,  7}, {0x0000200202900801ULL,  7}, {0x0022011402024202ULL,  5}, {0x0002002043028890ULL,  5},
    // rank 4
    {0x8020492821420401ULL,  5}, {0x0010080004080080ULL,  5}, {0x8252024028028408ULL,  7}, {0x00C8048008020004ULL,  9},
    {0x002084000B812000ULL,  9}, {0x6808420009010120ULL,  7}, {0x6808420009010120ULL,  5}, {0x6808420009010120ULL,  5},
    // rank 5
    {0x428D108800102040ULL,  5}, {0x0804060200181000ULL,  5}, {0x428D108800102040ULL,  7}, {0x0000220082080080ULL,  9},
    {0x0C08504040440100ULL,  9}, {0x1022018204410800ULL,  7}, {0x1022018204410800ULL,  5}, {0x4028008480130842ULL,  5},
    // rank 6
    {0xA202080C44044208ULL,  5}, {0xA202080C44044208ULL,  5}, {0x8006012428000402ULL,  7}, {0x0102102013010800ULL,  7},
    {0x08A1108200900200ULL,  7}, {0x0004040802000030ULL,  7}, {0x0804040082020410ULL,  5}, {0x0181040404420280ULL,  5},
    // rank 7
    {0xA202080C44044208ULL,  5}, {0x0022011402024202ULL,  5}, {0x2400030241100080ULL,  5}, {0x2008100020882022ULL,  5},
    {0x0006004018220000ULL,  5}, {0x0102102013010800ULL,  5}, {0x69C0FA480A008012ULL,  5}, {0x0804040082020410ULL,  5},
    // rank 8
    {0x0400802402224058ULL,  6}, {0x0022011402024202ULL,  5}, {0x0001020209008808ULL,  5}, {0x2300091020A09800ULL,  5},
    {0x800A180050220A20ULL,  5}, {0x0220234002040100ULL,  5}, {0x0004501010008080ULL,  5}, {0x69C0FA480A008012ULL,  6},
};

Bitboard rookMask[64], bishopMask[64];
uint32_t rookShift[64], bishopShift[64];
uint32_t rookOffset[64], bishopOffset[64];
Bitboard sliderAttacks[SLIDER_TABLE_SIZE];
SliderLookup rookLookup[64], bishopLookup[64];

namespace {

constexpr int ROOK_ENTRIES = 102400;
constexpr int BISHOP_ENTRIES = 5248;

struct Dir {
    int df, dr;
};
constexpr Dir ROOK_DIRS[4] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
constexpr Dir BISHOP_DIRS[4] = {{1, 1}, {1, -1}, {-1, 1}, {-1, -1}};

// The squares from s in one direction, to the edge of the board.
constexpr Bitboard rayOf(Square s, Dir d) {
    Bitboard result = 0;
    for (int f = fileOf(s) + d.df, r = rankOf(s) + d.dr; f >= 0 && f < 8 && r >= 0 && r < 8; f += d.df, r += d.dr)
        result |= squareBB(makeSquare(f, r));
    return result;
}

// A slider's reach from s on an empty board.
constexpr Bitboard emptyBoardAttacks(Square s, const Dir (&dirs)[4]) {
    Bitboard result = 0;
    for (Dir d : dirs) result |= rayOf(s, d);
    return result;
}

// The four rays from every square. A slider's attacks for an occupancy are its rays,
// each cut behind its first occupied square: the nearest one, the lowest on a ray that
// goes up the board's numbering and the highest on one that goes down.
struct Rays {
    Bitboard ray[4][64];
};
constexpr Rays raysOf(const Dir (&dirs)[4]) {
    Rays r{};
    for (int i = 0; i < 4; ++i)
        for (Square s = 0; s < 64; ++s) r.ray[i][s] = rayOf(s, dirs[i]);
    return r;
}

Bitboard rayAttacks(const Rays &rays, const Dir (&dirs)[4], Square s, Bitboard occupied) {
    Bitboard result = 0;
    for (int i = 0; i < 4; ++i) {
        Bitboard ray = rays.ray[i][s];
        if (const Bitboard blockers = ray & occupied)
            ray ^= rays.ray[i][dirs[i].df + 8 * dirs[i].dr > 0 ? lsb(blockers) : msb(blockers)];
        result |= ray;
    }
    return result;
}

// Edge squares never change the attack set unless the slider stands on that edge.
constexpr Bitboard rookMaskOf(Square s) {
    Bitboard edges = 0;
    if (fileOf(s) != FILE_A) edges |= FILE_A_BB;
    if (fileOf(s) != FILE_H) edges |= FILE_H_BB;
    if (rankOf(s) != RANK_1) edges |= RANK_1_BB;
    if (rankOf(s) != RANK_8) edges |= RANK_8_BB;
    return emptyBoardAttacks(s, ROOK_DIRS) & ~edges;
}
constexpr Bitboard bishopMaskOf(Square s) { return emptyBoardAttacks(s, BISHOP_DIRS) & 0x007E7E7E7E7E7E00ULL; }

constexpr int entriesOf(const Magic (&magics)[64]) {
    int total = 0;
    for (const Magic &m : magics) total += 1 << m.bitCount;
    return total;
}

// The committed bit counts must be the mask sizes, otherwise the shift would drop or
// invent index bits.
constexpr bool bitCountsMatchMasks() {
    for (Square s = 0; s < 64; ++s)
        if (int(rookMagic[s].bitCount) != std::popcount(rookMaskOf(s)) ||
            int(bishopMagic[s].bitCount) != std::popcount(bishopMaskOf(s)))
            return false;
    return true;
}

static_assert(entriesOf(rookMagic) == ROOK_ENTRIES);
static_assert(entriesOf(bishopMagic) == BISHOP_ENTRIES);
static_assert(ROOK_ENTRIES + BISHOP_ENTRIES == SLIDER_TABLE_SIZE);
static_assert(bitCountsMatchMasks());

// Fills the blocks of one slider kind, starting at offset; returns the offset after them.
uint32_t fillSlider(uint32_t offset, const Magic (&magics)[64], const Bitboard (&masks)[64],
                    uint32_t (&shifts)[64], uint32_t (&offsets)[64], const Dir (&dirs)[4]) {
    const Rays rays = raysOf(dirs);
    for (Square s = 0; s < 64; ++s) {
        const uint32_t bits = magics[s].bitCount;
        offsets[s] = offset;
        shifts[s] = 64 - bits;
        // Every subset of the mask, each once (the carry-rippler walk), ending at 0.
        Bitboard subset = 0;
        do {
            const Bitboard attacks = rayAttacks(rays, dirs, s, subset);
            Bitboard &slot = sliderAttacks[offset + uint32_t((subset * magics[s].multiplier) >> shifts[s])];
            // A slider always attacks at least one square, so 0 marks an unused slot.
            assert(slot == 0 || slot == attacks);
            slot = attacks;
            subset = (subset - masks[s]) & masks[s];
        } while (subset);
        offset += 1u << bits;
    }
    return offset;
}

void buildAll() {
    for (Square s = 0; s < 64; ++s) {
        rookMask[s] = rookMaskOf(s);
        bishopMask[s] = bishopMaskOf(s);
    }
    const uint32_t afterRooks = fillSlider(0, rookMagic, rookMask, rookShift, rookOffset, ROOK_DIRS);
    assert(afterRooks == ROOK_ENTRIES);
    const uint32_t afterBishops =
        fillSlider(afterRooks, bishopMagic, bishopMask, bishopShift, bishopOffset, BISHOP_DIRS);
    assert(afterBishops == SLIDER_TABLE_SIZE);
    (void)afterBishops;
    for (Square s = 0; s < 64; ++s) {
        rookLookup[s] = {rookMask[s], rookMagic[s].multiplier, sliderAttacks + rookOffset[s], rookShift[s]};
        bishopLookup[s] = {bishopMask[s], bishopMagic[s].multiplier, sliderAttacks + bishopOffset[s], bishopShift[s]};
    }
}

std::once_flag magicTablesBuilt;

}  // namespace

void initMagicTables() { std::call_once(magicTablesBuilt, buildAll); }
