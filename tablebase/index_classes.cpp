// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The endgame classes: one encoder and one decoder template, instantiated once per class
// from a description of its men and digits, and the lookup from endgame names to classes.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>

#include "tablebase/index.h"

namespace tbindex {

namespace {

// A digit of the index after the kings: one piece (base 64), or two or three like pieces
// (their unordered pair or triple index), found at a position of one side's list.
struct Group {
    bool white;
    uint8_t first;
    uint8_t size;
};

// Men besides the kings, pawns last in each list, and the digits in order.
struct ClassShape {
    uint8_t whitePieces, whitePawns, blackPieces, blackPawns;
    PawnKind pawns;
    uint8_t groupCount;
    Group groups[3];
};

constexpr uint32_t groupBase(int size) { return size == 1 ? 64 : size == 2 ? PAIRS : TRIPLES; }

constexpr uint32_t positionsOf(const ClassShape &c) {
    uint32_t n = c.pawns == PawnKind::NONE ? KING_PAIRS : pawnSlotCount(c.pawns) * 4096;
    for (int g = 0; g < c.groupCount; ++g) n *= groupBase(c.groups[g].size);
    return n;
}

constexpr Group W(int first, int size = 1) { return {true, uint8_t(first), uint8_t(size)}; }
constexpr Group B(int first, int size = 1) { return {false, uint8_t(first), uint8_t(size)}; }

using enum PawnKind;
constexpr ClassShape SHAPES[] = {
    {1, 0, 0, 0, NONE, 1, {W(1)}},                      // kqk
    {0, 1, 0, 0, WHITE_ONE, 0, {}},                     // kpk
    {1, 0, 1, 0, NONE, 2, {W(1), B(1)}},                // kqkr
    {2, 0, 0, 0, NONE, 1, {W(1, 2)}},                   // kqqk
    {2, 0, 0, 0, NONE, 2, {W(1), W(2)}},                // kqrk
    {1, 0, 0, 1, BLACK_ONE, 1, {W(1)}},                 // kqkp
    {1, 1, 0, 0, WHITE_ONE, 1, {W(1)}},                 // kqpk
    {0, 2, 0, 0, WHITE_TWO, 0, {}},                     // kppk
    {0, 1, 0, 1, WHITE_BLACK, 0, {}},                   // kpkp
    {3, 0, 0, 0, NONE, 1, {W(1, 3)}},                   // kqqqk
    {3, 0, 0, 0, NONE, 2, {W(1, 2), W(3)}},             // kqqrk
    {3, 0, 0, 0, NONE, 2, {W(2, 2), W(1)}},             // kqrrk: the pair is the higher digit
    {3, 0, 0, 0, NONE, 3, {W(1), W(2), W(3)}},          // kqrbk
    {2, 0, 1, 0, NONE, 2, {W(1, 2), B(1)}},             // kqqkr
    {2, 0, 1, 0, NONE, 3, {W(1), W(2), B(1)}},          // kqrkb
    {2, 1, 0, 0, WHITE_ONE, 1, {W(1, 2)}},              // kqqpk
    {2, 1, 0, 0, WHITE_ONE, 2, {W(1), W(2)}},           // kqrpk
    {1, 2, 0, 0, WHITE_TWO, 1, {W(1)}},                 // kqppk
    {1, 1, 1, 0, WHITE_ONE, 2, {W(1), B(1)}},           // kqpkr
    {0, 2, 1, 0, WHITE_TWO, 1, {B(1)}},                 // kppkq
    {2, 0, 0, 1, BLACK_ONE, 1, {W(1, 2)}},              // kqqkp
    {2, 0, 0, 1, BLACK_ONE, 2, {W(1), W(2)}},           // kqrkp
    {1, 1, 0, 1, WHITE_BLACK, 1, {W(1)}},               // kqpkp
    {0, 2, 0, 1, WHITE_TWO_BLACK, 0, {}},               // kppkp
    {0, 3, 0, 0, WHITE_THREE, 0, {}},                   // kpppk
};
constexpr int CLASS_COUNT = int(std::size(SHAPES));

bool kingsTouch(Square a, Square b) { return std::abs(fileOf(a) - fileOf(b)) <= 1 && std::abs(rankOf(a) - rankOf(b)) <= 1; }

// Copies exactly n squares of a list that must end right after them; every square must be
// on the board and free.
bool readSide(const Square *list, int n, Square *out, Bitboard &taken) {
    if (!list) return false;
    for (int i = 0; i < n; ++i) {
        const Square s = list[i];
        if (s < 0 || s > 63 || (taken & (Bitboard(1) << s))) return false;
        taken |= Bitboard(1) << s;
        out[i] = s;
    }
    return list[n] == NO_SQUARE;
}

void transformAll(Square *squares, int n, unsigned flags) {
    for (int i = 0; i < n; ++i) squares[i] = transformSquare(squares[i], flags);
}

uint32_t groupDigit(const Square *p, int size) {
    Square s[3] = {p[0], size > 1 ? p[1] : 0, size > 2 ? p[2] : 0};
    std::sort(s, s + size);
    return size == 1 ? uint32_t(s[0]) : size == 2 ? pairIndex(s[0], s[1]) : tripleIndex(s[0], s[1], s[2]);
}

void writeGroup(Square *p, int size, uint32_t digit) {
    if (size == 1) {
        p[0] = Square(digit);
    } else if (size == 2) {
        const Square x = tables.pairLow[digit];
        p[0] = x;
        p[1] = Square(digit - pairIndex(x, x + 1) + x + 1);
    } else {
        for (int i = 0; i < 3; ++i) p[i] = tables.tripleSquares[digit][i];
    }
}

template <ClassShape C>
bool encodeClass(const Square *white, const Square *black, uint32_t &index) {
    constexpr int Wn = 1 + C.whitePieces + C.whitePawns, Bn = 1 + C.blackPieces + C.blackPawns;
    index = TB_NO_INDEX;
    Square w[Wn], b[Bn];
    Bitboard taken = 0;
    if (!tablesBuilt() || !readSide(white, Wn, w, taken) || !readSide(black, Bn, b, taken) || kingsTouch(w[0], b[0]))
        return false;
    uint32_t result;
    if constexpr (C.pawns == PawnKind::NONE) {
        const unsigned flags = tables.symmetry[b[0]][w[0]];
        transformAll(w, Wn, flags);
        transformAll(b, Bn, flags);
        const int kings = tables.kingPair[b[0]][w[0]];
        if (kings < 0) return false;
        result = uint32_t(kings);
    } else {
        Square *wp = w + 1 + C.whitePieces, *bp = b + 1 + C.blackPieces;
        if (pawnsWantMirror(C.pawns, wp, bp)) {
            transformAll(w, Wn, MIRROR_FILES);
            transformAll(b, Bn, MIRROR_FILES);
        }
        const int slot = pawnSlot(C.pawns, wp, bp);
        if (slot < 0) return false;
        result = (uint32_t(slot) * 64 + uint32_t(w[0])) * 64 + uint32_t(b[0]);
    }
    for (int g = 0; g < C.groupCount; ++g) {
        const Group &group = C.groups[g];
        result = result * groupBase(group.size) + groupDigit((group.white ? w : b) + group.first, group.size);
    }
    index = result;
    return true;
}

template <ClassShape C>
void decodeClass(uint32_t index, Square *white, Square *black) {
    constexpr int Wn = 1 + C.whitePieces + C.whitePawns, Bn = 1 + C.blackPieces + C.blackPawns;
    std::fill(white, white + Wn + 1, NO_SQUARE);
    std::fill(black, black + Bn + 1, NO_SQUARE);
    if (index >= positionsOf(C)) return;
    for (int g = C.groupCount - 1; g >= 0; --g) {
        const Group &group = C.groups[g];
        const uint32_t base = groupBase(group.size);
        writeGroup((group.white ? white : black) + group.first, group.size, index % base);
        index /= base;
    }
    if constexpr (C.pawns == PawnKind::NONE) {
        black[0] = tables.kingPairSquares[index][0];
        white[0] = tables.kingPairSquares[index][1];
    } else {
        black[0] = Square(index % 64);
        white[0] = Square(index / 64 % 64);
        pawnSquares(C.pawns, index / 4096, white + 1 + C.whitePieces, black + 1 + C.blackPieces);
    }
}

template <size_t... I>
constexpr std::array<TbIndexClass, sizeof...(I)> makeClasses(std::index_sequence<I...>) {
    return {{{positionsOf(SHAPES[I]), pawnSlotCount(SHAPES[I].pawns), &encodeClass<SHAPES[I]>,
              &decodeClass<SHAPES[I]>}...}};
}
constexpr auto CLASSES = makeClasses(std::make_index_sequence<CLASS_COUNT>());

// The endgames with files, one colour arrangement each, in the order of the file set.
constexpr const char *ENDGAMES[] = {
    "kqk", "krk", "kbk", "knk", "kpk", "kqkq", "kqkr", "kqkb", "kqkn", "krkr", "krkb", "krkn", "kbkb", "kbkn",
    "knkn", "kqqk", "kqrk", "kqbk", "kqnk", "krrk", "krbk", "krnk", "kbbk", "kbnk", "knnk", "kqkp", "krkp",
    "kbkp", "knkp", "kqpk", "krpk", "kbpk", "knpk", "kppk", "kpkp", "kqqqk", "kqqrk", "kqqbk", "kqqnk",
    "kqrrk", "kqrbk", "kqrnk", "kqbbk", "kqbnk", "kqnnk", "krrrk", "krrbk", "krrnk", "krbbk", "krbnk",
    "krnnk", "kbbbk", "kbbnk", "kbnnk", "knnnk", "kqqkq", "kqqkr", "kqqkb", "kqqkn", "kqrkq", "kqrkr",
    "kqrkb", "kqrkn", "kqbkq", "kqbkr", "kqbkb", "kqbkn", "kqnkq", "kqnkr", "kqnkb", "kqnkn", "krrkq",
    "krrkr", "krrkb", "krrkn", "krbkq", "krbkr", "krbkb", "krbkn", "krnkq", "krnkr", "krnkb", "krnkn",
    "kbbkq", "kbbkr", "kbbkb", "kbbkn", "kbnkq", "kbnkr", "kbnkb", "kbnkn", "knnkq", "knnkr", "knnkb",
    "knnkn", "kqqpk", "kqrpk", "kqbpk", "kqnpk", "krrpk", "krbpk", "krnpk", "kbbpk", "kbnpk", "knnpk",
    "kqppk", "krppk", "kbppk", "knppk", "kqpkq", "kqpkr", "kqpkb", "kqpkn", "krpkq", "krpkr", "krpkb",
    "krpkn", "kbpkq", "kbpkr", "kbpkb", "kbpkn", "knpkq", "knpkr", "knpkb", "knpkn", "kppkq", "kppkr",
    "kppkb", "kppkn", "kqqkp", "kqrkp", "kqbkp", "kqnkp", "krrkp", "krbkp", "krnkp", "kbbkp", "kbnkp",
    "knnkp", "kqpkp", "krpkp", "kbpkp", "knpkp", "kppkp", "kpppk"};
constexpr int ENDGAME_COUNT = int(std::size(ENDGAMES));
static_assert(ENDGAME_COUNT == 145);

// The class of a name: what matters is how many pieces and pawns each side has and which of
// the pieces are alike.
constexpr int classOfName(const char *name) {
    const char *blackPart = name + 1;
    while (*blackPart != 'k') ++blackPart;
    const int whiteMen = int(blackPart - name) - 1;
    const int blackMen = int(std::string_view(blackPart).size()) - 1;
    auto pawnsIn = [](const char *s, int n) {
        int pawns = 0;
        for (int i = 0; i < n; ++i) pawns += s[i] == 'p';
        return pawns;
    };
    const char *w = name + 1;
    const int wp = pawnsIn(w, whiteMen), bp = pawnsIn(blackPart + 1, blackMen);
    const int wPieces = whiteMen - wp, bPieces = blackMen - bp;
    for (int c = 0; c < CLASS_COUNT; ++c) {
        const ClassShape &s = SHAPES[c];
        if (s.whitePieces != wPieces || s.whitePawns != wp || s.blackPieces != bPieces || s.blackPawns != bp)
            continue;
        // Among classes with the same counts, the digits tell which pieces must be alike.
        bool fits = true;
        for (int g = 0; g < s.groupCount; ++g) {
            const Group &group = s.groups[g];
            const char *p = (group.white ? w : blackPart + 1) + group.first - 1;
            for (int i = 1; i < group.size; ++i) fits = fits && p[i] == p[0];
            if (group.size == 1 && group.white && wPieces > 1)
                for (int i = 0; i < wPieces; ++i) fits = fits && (w + i == p || w[i] != p[0]);
        }
        if (fits) return c;
    }
    return -1;
}

constexpr auto ENDGAME_CLASS = [] {
    std::array<int8_t, ENDGAME_COUNT> classes{};
    for (int i = 0; i < ENDGAME_COUNT; ++i) classes[i] = int8_t(classOfName(ENDGAMES[i]));
    return classes;
}();
static_assert(std::none_of(ENDGAME_CLASS.begin(), ENDGAME_CLASS.end(), [](int8_t c) { return c < 0; }));

}  // namespace

}  // namespace tbindex

const TbIndexClass *tbIndexClass(const char *endgameName) {
    using namespace tbindex;
    if (!endgameName) return nullptr;
    for (int i = 0; i < ENDGAME_COUNT; ++i)
        if (std::strcmp(endgameName, ENDGAMES[i]) == 0) return &CLASSES[ENDGAME_CLASS[i]];
    return nullptr;
}
