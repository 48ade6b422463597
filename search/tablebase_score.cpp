// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Tablebase answers turned into search scores.
#include "search/tablebase_score.h"

#include "tablebase/probe.h"
#include "tablebase/tablebase.h"

template <Colour Us> bool tablebaseScore(const Board_BB64 &b, bool mayReadFiles, int &score) {
    constexpr unsigned WeMate = Us == WHITE ? TB_WHITE_MATES : TB_BLACK_MATES;
    constexpr unsigned TheyMate = Us == WHITE ? TB_BLACK_MATES : TB_WHITE_MATES;
    // The tables know nothing of castling.
    if (b.castlingRights) return false;
    unsigned info = TB_FORBIDDEN, plies = 0;
    if (!tbProbeBoard(b, mayReadFiles, info, plies)) return false;
    if (info == WeMate) score = MATE_SCORE - int(plies);
    else if (info == TheyMate) score = int(plies) - MATE_SCORE;
    else if (info == TB_DRAW) score = 0;
    else return false;
    return true;
}

bool tablebaseScore(const Board_BB64 &b, bool mayReadFiles, int &score) {
    return b.side() == WHITE ? tablebaseScore<WHITE>(b, mayReadFiles, score)
                             : tablebaseScore<BLACK>(b, mayReadFiles, score);
}

template bool tablebaseScore<WHITE>(const Board_BB64 &, bool, int &);
template bool tablebaseScore<BLACK>(const Board_BB64 &, bool, int &);
