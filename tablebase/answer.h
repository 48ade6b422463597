// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// What the endgame tables say of one position, whichever prober answered, and how that
// answer becomes a search score.
#pragma once

#include <cstdint>

#include "board/types.h"

// A Syzygy win or loss: beyond any evaluation, below every mate score.
constexpr int SYZYGY_WIN_SCORE = MATE_BOUND - 1000;

enum class TbSource : uint8_t { NONE, GAVIOTA, SYZYGY };

// For the side to move. Syzygy's wdl is the tables' value, counted from a halfmove
// clock of 0: 2 win, 1 win the 50-move rule spoils, 0 draw, -1 loss it saves, -2 loss;
// Gaviota knows no such rule and says 2, 0 or -2.
struct TbAnswer {
    TbSource source = TbSource::NONE;
    int wdl = 0;
    int matePlies = 0;      // Gaviota: plies to mate, 0 for a draw
    bool dtzKnown = false;  // Syzygy: the DTZ was asked for and the file had it
    int dtz = 0;            // Syzygy: plies to the next zeroing move, signed like wdl
    bool found() const { return source != TbSource::NONE; }
};

// The result once the position's own halfmove clock counts: 1 win, 0 draw, -1 loss.
// With the 50-move rule a Syzygy win stands only where its DTZ fits in the plies left
// on the clock (a DTZ may be one ply short, so the last ply is not counted on unless
// the clock has just been reset), and a loss whose DTZ does not fit is saved.
constexpr int tbVerdict(const TbAnswer &a, int halfmoveClock, bool fiftyMoveRule) {
    const int sign = a.wdl > 0 ? 1 : a.wdl < 0 ? -1 : 0;
    if (a.source != TbSource::SYZYGY || !fiftyMoveRule) return sign;
    if (a.wdl == 1 || a.wdl == -1) return 0;
    if (!a.dtzKnown || sign == 0) return sign;
    const int d = (a.dtz < 0 ? -a.dtz : a.dtz) + halfmoveClock;
    if (sign > 0) return d <= 99 || (d == 100 && halfmoveClock == 0) ? 1 : 0;
    return d > 100 ? 0 : -1;
}

// The search score of an answer for a position ply plies from the root: a Gaviota mate
// counted from the root; a Syzygy win SYZYGY_WIN_SCORE less the plies to the position
// and its DTZ where known; a loss mirrored. A Syzygy win the rule spoils scores 1 and
// a loss it saves -1, so the side keeps its better chance; other draws 0.
constexpr int tbScore(const TbAnswer &a, int ply, int halfmoveClock, bool fiftyMoveRule) {
    if (a.source == TbSource::GAVIOTA)
        return a.wdl > 0 ? MATE_SCORE - a.matePlies - ply : a.wdl < 0 ? a.matePlies + ply - MATE_SCORE : 0;
    const int verdict = tbVerdict(a, halfmoveClock, fiftyMoveRule);
    if (verdict == 0) return a.wdl > 0 ? 1 : a.wdl < 0 ? -1 : 0;
    const int win = SYZYGY_WIN_SCORE - ply - (a.dtzKnown ? (a.dtz < 0 ? -a.dtz : a.dtz) : 0);
    return verdict * win;
}

// The answer a Gaviota score stands for (its inverse at ply 0): the outcome and the
// plies to mate.
constexpr TbAnswer tbGaviotaAnswer(int score) {
    TbAnswer a;
    a.source = TbSource::GAVIOTA;
    a.wdl = score > 0 ? 2 : score < 0 ? -2 : 0;
    a.matePlies = score > 0 ? MATE_SCORE - score : score < 0 ? score + MATE_SCORE : 0;
    return a;
}
