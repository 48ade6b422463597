// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The static evaluation: material bookkeeping and the score of a position from the
// side to move's point of view.
#pragma once

#include <cstdint>

#include "board/board.h"

class PawnHashTable;

// Piece counts, phase, material balance and the can-win flags of a position.
struct MaterialInfo {
    // Nibble positions inside a count word.
    enum : int { PAWNS = 0, KNIGHTS, BISHOPS, ROOKS, QUEENS, MINORS, MAJORS, MEN };

    // Per colour, eight 4-bit fields from the low end (see the enum above);
    // MEN is the number of the colour's pieces other than the king.
    uint32_t counts[2] = {0, 0};
    uint32_t phase = 0;  // 0 (pawns only) .. 24 (all pieces)
    int16_t materialMg = 0;  // White minus Black
    int16_t materialEg = 0;
    bool canWin[2] = {false, false};

    int count(Colour c, int field) const { return int((counts[c] >> (4 * field)) & 15); }
    // Count of one piece type (PAWN..QUEEN).
    int pieces(Colour c, int pt) const { return count(c, pt - 1); }
    TermPair material() const { return TermPair(materialMg, materialEg); }
};

MaterialInfo computeMaterial(const Board_BB64 &b);

// Material depends on the ten piece counts alone, and a search meets few different
// sets of them, so each search thread keeps its last results by counts.
class MaterialCache {
public:
    // computeMaterial(b), from the cache when the counts are there.
    MaterialInfo probe(const Board_BB64 &b);

private:
    struct Entry {
        uint64_t key = ~uint64_t(0);  // no position has this key
        MaterialInfo info;
    };
    static constexpr uint32_t SIZE = 1024;
    Entry entries_[SIZE];
};

// What one thread evaluates with: the pawn hash all threads share, the hit counter
// it counts in (its search thread index) and a material cache of its own. Each
// search thread owns one, so that the evaluation keeps no state of its own.
struct EvalTables {
    PawnHashTable *pawns = nullptr;
    uint32_t hitLane = 0;
    MaterialCache material;
};

// Score of the position for the side to move. alpha and beta only feed the lazy cut.
int evaluate(const Board_BB64 &b, EvalTables &tables, int alpha, int beta);
// The same for a single evaluation outside a search: a fresh material cache, hits
// counted in lane 0.
int evaluate(const Board_BB64 &b, PawnHashTable &pawnHash, int alpha, int beta);

// 0 (dead draw) .. 100 (no scaling) for known drawish endings and the fifty-move clock.
int scalingFactor(const Board_BB64 &b, const MaterialInfo &mi);

// Builds every evaluation table (piece-square table included). Safe to call repeatedly.
void initEvaluationTables();
