// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Random legal-looking positions for testing and tuning: one on a board, or many
// handed out as FEN lines for the faces to print or write.
#pragma once

#include <cstdint>
#include <functional>

class Board_BB64;

// A full army by piece type (pawn 8, knight 2, bishop 2, rook 2, queen 1, king 1).
inline constexpr uint32_t maxPieceCount[7] = {0, 8, 2, 2, 2, 1, 1};

// Replaces b's position by a random one with at most the sixteen men of a full army
// per side, the side not to move out of check and no impossible double check. The
// sequence of draws is fixed, so a given seed always gives the same positions. In
// Chess960 a king anywhere on its back rank may hold rights for its wings' outer rooks.
void generateRandomPosition(Board_BB64 &b, bool chess960 = false);

// Generates count positions on b and hands each FEN to sink. b is left at the last one.
void generateRandomFens(Board_BB64 &b, int count, const std::function<void(const char *fen)> &sink,
                        bool chess960 = false);
