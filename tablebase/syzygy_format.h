// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The file level of the Syzygy tables: the material a table covers, the parse of a
// mapped .rtbw/.rtbz file into its sub-tables, the index of a placement within a
// sub-table and the decoding of one stored value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "board/types.h"

constexpr int SZ_MAX_MEN = 7;

// What a table's name says: each side's pieces (first side = the name's left side).
struct SzMaterial {
    int count[2][7] = {};  // [side][piece type], kings included
    int men = 0;
    bool hasPawns = false;
    bool symmetric = false;
    // Kinds a side owns exactly once (both kings count): three or more lets the
    // pawnless index place three single pieces first.
    int uniquePieces = 0;
};

// Reads "KQPvKR"; false for anything that is not two sides of K + up to six pieces each
// with at most SZ_MAX_MEN men in all.
bool szParseName(const std::string &name, SzMaterial &m);
// The counts packed four bits per piece kind, white's Q R B N P then black's: the same
// key for a table read with the first side as White or as Black swapped.
uint64_t szMaterialKey(const int white[7], const int black[7]);

enum SzEncoding : uint8_t { SZ_PIECES_111, SZ_PIECES_KK, SZ_PAWNS };

// One sequence of values: how a placement is indexed, and how the value is decoded.
struct SzSubTable {
    // Index: piece codes in the order of the index (1..6 first side, 9..14 second),
    // groups of equal codes in list order, each group's factor.
    uint8_t pieces[SZ_MAX_MEN] = {};
    uint8_t groupLength[SZ_MAX_MEN] = {};
    uint64_t factor[SZ_MAX_MEN] = {};
    int groups = 0;
    int men = 0;
    int slot = 0;
    SzEncoding encoding = SZ_PIECES_111;
    uint64_t size = 0;  // number of indices
    // Values.
    uint8_t flags = 0;
    bool singleValued = false;
    uint8_t single = 0;
    int blockBits = 0, spanBits = 0;
    uint32_t realBlocks = 0, blockCount = 0;
    int minLength = 0;
    std::vector<uint64_t> base;        // left-aligned lowest code of each length
    std::vector<uint16_t> firstIndex;  // first symbol of each length
    std::vector<uint16_t> left, right, valueCount;  // symbol tree
    const uint8_t *sparse = nullptr;
    const uint8_t *blockLengths = nullptr;
    const uint8_t *data = nullptr;
    const uint8_t *end = nullptr;  // end of the mapped file
    // DTZ value maps: win, loss, cursed win, blessed loss (entries of 1 or 2 bytes).
    const uint8_t *map[4] = {};
    int mapLength[4] = {};
    bool wideMap = false;
};

enum class SzKind { WDL, DTZ };

// The sub-tables of one file, slot-major then side-minor (WDL: two sides per slot
// unless symmetric; DTZ: one).
struct SzFile {
    std::vector<SzSubTable> sub;
    int sides = 1;
};

// Parses a mapped file of the given kind for the material. False, with the reason in
// error, for anything that does not add up: wrong magic or size, pieces that are not
// the material's, sections that overrun the file or end short of it, symbol trees
// that loop, block lengths that do not sum to the table size.
bool szParseFile(const uint8_t *bytes, std::size_t size, SzKind kind, const SzMaterial &m, SzFile &out,
                 std::string &error);

// The index of the placement sq[] (squares in the order of t.pieces, in table
// orientation, the leading pawn first with pawns). sq[] is normalised in place.
uint64_t szIndex(const SzSubTable &t, Square *sq);

// The stored value at index (WDL 0..4; DTZ the raw stored value). False if the data
// leads outside the file or to a symbol that does not exist.
bool szDecode(const SzSubTable &t, uint64_t index, int &value);

// A DTZ sub-table's decoded value as plies for a position of WDL value wdl (not 0).
// False if a map has no such entry.
bool szDtzPlies(const SzSubTable &t, int stored, int wdl, int &plies);

// The pawn index's order of pawn squares: edge files first, then rank 2 upwards; also
// the number of squares "behind" a leading pawn on s.
int szPawnRank(Square s);
