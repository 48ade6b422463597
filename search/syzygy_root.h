// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The root in the Syzygy tables: which root moves keep the result and make progress.
#pragma once

#include <functional>

#include "search/search.h"

// Ranks the allowed root moves (allowed(m) true) of a root in the Syzygy tables by
// their DTZ counted from the root and keeps those of the best class in st.syzygyRoot:
// the sure wins of shortest DTZ, else the wins the 50-move rule spoils (shortest
// first), else the draws, else the losses the rule saves, else the longest losses; the
// best move's verdict under the root's clock becomes st.syzygyRootScore (a spoiled win
// or saved loss is a draw, 0). Leaves the list empty and the score NO_SCORE (no
// ranking) when a move cannot be probed. The board is changed and restored.
void rankSyzygyRoot(SearchState &st, const std::function<bool(Move)> &allowed);

// The class of a root move with DTZ d (counted from the root, the move included) and
// halfmove clock `clock` at the root: 4 sure win, 3 spoiled win, 2 draw, 1 loss the
// 50-move rule saves, 0 loss. Without the rule only the sign counts.
constexpr int syzygyRootClass(int d, int clock, bool fiftyMoveRule) {
    if (d == 0) return 2;
    if (!fiftyMoveRule) return d > 0 ? 4 : 0;
    if (d > 0) return d + clock <= 99 ? 4 : 3;
    return -d + clock > 100 ? 1 : 0;
}
