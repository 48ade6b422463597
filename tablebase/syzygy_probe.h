// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Syzygy answers for a board position: the tables' raw values completed by the moves
// the tables leave out (captures whose result the table does not keep, en passant,
// and the positions a DTZ file does not store).
#pragma once

#include "tablebase/syzygy.h"

// Win/draw/loss for the side to move: 2 win, 1 cursed win (drawn under the 50-move
// rule), 0 draw, -1 blessed loss, -2 loss, counted from a halfmove clock of 0. False
// when the position has castling rights, is not covered, or a table it needs was
// refused. The board is changed and restored.
bool szProbeWdl(const SyzygyTables &tables, Board_BB64 &b, int &wdl);

// Distance to zeroing in plies, signed like the WDL value (0 for a draw, above 100 in
// magnitude for cursed wins and blessed losses; a zeroing move that wins gives 1, a
// mate 1, being mated -1). Same failures as szProbeWdl, plus a missing DTZ file.
bool szProbeDtz(const SyzygyTables &tables, Board_BB64 &b, int &dtz);

// The DTZ of a position whose best move is a zeroing one of value wdl.
constexpr int szZeroingDtz(int wdl) {
    return wdl == 2 ? 1 : wdl == 1 ? 101 : wdl == -1 ? -101 : wdl == -2 ? -1 : 0;
}
