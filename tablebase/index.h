// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Position indexes of the tablebase files: for every endgame class, the encoder that turns
// piece squares into the offset of the position's byte in its side's byte sequence, and the
// decoder that turns an offset back into (canonical) piece squares.
#pragma once

#include <cstdint>

#include "board/types.h"

// Square lists are ended by 64 (NO_SQUARE), each side led by its king, then its pieces in the
// order of the endgame's name (q, r, b, n, p).
using TbEncoder = bool (*)(const Square *whiteSquares, const Square *blackSquares, uint32_t &index);
using TbDecoder = void (*)(uint32_t index, Square *whiteSquares, Square *blackSquares);
struct TbIndexClass {
    uint32_t positionsPerSide;
    uint32_t pawnSlots;
    TbEncoder encode;
    TbDecoder decode;
};

// An encoder that fails leaves this in its index. It fails on any square outside 0..63, on a
// list that does not end where the endgame says, on two men sharing a square, on adjacent
// kings and on pawns on the first or last rank.
constexpr uint32_t TB_NO_INDEX = 0xFFFFFFFFu;

// Build the king-pair, symmetry, pair/triple and pawn-slot tables once; safe to call from
// several threads and repeatedly. Returns false only if the tables could not be built.
bool tbBuildIndexTables();
// The index class of an endgame by name ("kqkr", "kbpkp"), or nullptr if the name is not one
// of the 145 endgames. Call tbBuildIndexTables() first.
const TbIndexClass *tbIndexClass(const char *endgameName);

// Decoders write lists of the endgame's length; for an index beyond the class's range every
// entry of both lists is NO_SQUARE.

// ---------------------------------------------------------------------------------------
// Internals shared by the index*.cpp files.
namespace tbindex {

constexpr int KING_PAIRS = 462;
constexpr int PAIRS = 2016;
constexpr int TRIPLES = 41664;
constexpr int TWO_PAWN_SLOTS = 576;
constexpr int PAWN_PAIRS = 1128;  // two White pawns beside a Black one
constexpr int THREE_PAWN_SLOTS = 8648;

// Filled once by tbBuildIndexTables() and read-only afterwards.
struct Tables {
    uint8_t symmetry[64][64];         // [first king][second king]: 1 files, 2 ranks, 4 diagonal
    int16_t kingPair[64][64];         // canonical pairs only, else -1
    uint8_t kingPairSquares[KING_PAIRS][2];
    uint8_t pairLow[PAIRS];           // lower square of a pair index
    uint8_t tripleSquares[TRIPLES][3];
    int16_t twoPawnSlot[24][48];      // [anchor slot][other pawn from White's far side - 8]
    uint8_t twoPawnSquares[TWO_PAWN_SLOTS][2];
    uint8_t pawnPairSquares[PAWN_PAIRS][2];
    int16_t threePawnSlot[48][48][48];  // by sorted list positions, else -1
    uint8_t threePawnSquares[THREE_PAWN_SLOTS][3];
};
extern Tables tables;
bool tablesBuilt();

// Symmetry bits of the king-pair table.
enum : unsigned { MIRROR_FILES = 1, MIRROR_RANKS = 2, MIRROR_DIAGONAL = 4 };

constexpr Square transformSquare(Square s, unsigned flags) {
    if (flags & MIRROR_FILES) s ^= 7;
    if (flags & MIRROR_RANKS) s ^= 56;
    if (flags & MIRROR_DIAGONAL) s = ((s >> 3) | (s << 3)) & 63;
    return s;
}

// Unordered sets of like pieces on distinct squares x < y < z.
constexpr uint32_t pairIndex(Square x, Square y) { return uint32_t(x * (127 - x) / 2 + (y - x - 1)); }
constexpr uint32_t tripleIndex(Square x, Square y, Square z) {
    return uint32_t(z * (z - 1) * (z - 2) / 6 + y * (y - 1) / 2 + x);
}

// Slot of a lone White pawn on files a-d, ranks 2-7 (its most advanced square first), and
// the same for a Black pawn seen from Black's side.
constexpr int whitePawnSlot(Square s) {
    const int q = s ^ 56;
    return (q - 8 + (q & 3)) / 2;
}
constexpr int blackPawnSlot(Square s) { return (s - 8 + (s & 3)) / 2; }
constexpr Square blackPawnSquare(int slot) { return slot + (slot & 28) + 8; }
constexpr Square whitePawnSquare(int slot) { return blackPawnSquare(slot) ^ 56; }

// How the pawns of a class make up its pawn slot.
enum class PawnKind : uint8_t { NONE, WHITE_ONE, BLACK_ONE, WHITE_TWO, WHITE_BLACK, WHITE_TWO_BLACK, WHITE_THREE };

constexpr uint32_t pawnSlotCount(PawnKind k) {
    switch (k) {
    case PawnKind::NONE: return 1;
    case PawnKind::WHITE_ONE:
    case PawnKind::BLACK_ONE: return 24;
    case PawnKind::WHITE_TWO: return TWO_PAWN_SLOTS;
    case PawnKind::WHITE_BLACK: return 24 * 48;
    case PawnKind::WHITE_TWO_BLACK: return 24 * PAWN_PAIRS;
    case PawnKind::WHITE_THREE: return THREE_PAWN_SLOTS;
    }
    return 0;
}

// Of two White pawns, the one that decides the mirror: the more advanced, then the one
// farther from the centre files, then the one on the lower square.
bool isTwoPawnAnchor(Square p, Square q);

// Whether the pawns (White's after the White list's pieces, Black's likewise) ask for the
// files to be mirrored, and the slot of pawns already in mirrored form (-1: no slot).
bool pawnsWantMirror(PawnKind k, const Square *whitePawns, const Square *blackPawns);
int pawnSlot(PawnKind k, const Square *whitePawns, const Square *blackPawns);
void pawnSquares(PawnKind k, uint32_t slot, Square *whitePawns, Square *blackPawns);

}  // namespace tbindex
