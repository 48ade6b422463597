// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Random legal-looking positions for testing and tuning: one on a board, or many
// written as FEN lines.
#pragma once

#include <cstdint>
#include <cstdio>

class Board_BB64;

// A full army by piece type (pawn 8, knight 2, bishop 2, rook 2, queen 1, king 1).
inline constexpr uint32_t maxPieceCount[7] = {0, 8, 2, 2, 2, 1, 1};

// Replaces b's position by a random one with at most the sixteen men of a full army
// per side, the side not to move out of check and no impossible double check. The
// sequence of draws is fixed, so a given seed always gives the same positions. In
// Chess960 a king anywhere on its back rank may hold rights for its wings' outer rooks.
void generateRandomPosition(Board_BB64 &b, bool chess960 = false);

// Generates count positions on b and writes each FEN with a newline to out, then
// flushes out.
void writeRandomFens(Board_BB64 &b, int count, FILE *out, bool chess960 = false);

// The counted form of the random-position command. A count below 1 gives false with
// nothing printed. A null or empty path writes to standard output; otherwise the file
// is created, and a file that cannot be opened gives the error text (no newline) and
// false. b is left at the last random position.
bool randomFensCommand(Board_BB64 &b, int count, const char *path, bool chess960 = false);
