// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The text of the UCI face's output lines, without their line end.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "board/castling.h"
#include "search/report.h"

// One "info" line; absent fields are left out.
struct InfoFields {
    std::optional<int> depth;
    std::optional<int> selDepth;
    std::optional<int> multiPv;
    std::optional<int> score;  // the engine's score, side to move's view
    ScoreBound bound = ScoreBound::EXACT;
    std::optional<uint64_t> nodes;
    std::optional<uint64_t> nps;
    std::optional<int> hashFull;  // per mille
    std::optional<uint64_t> tbHits;
    std::optional<int64_t> timeMs;
    std::span<const Move> pv;
    MoveNotation notation;  // Chess960 castles as the king taking its rook
};

// "cp 35", "mate 3" (we mate in three moves), "mate -2" (we are mated in two).
std::string scoreText(int score);
std::string infoLine(const InfoFields &info);
// "info string <text>", with control characters shown as '?' so that the text cannot
// break the line.
std::string infoStringLine(std::string_view text);
// "bestmove e2e4 ponder e7e5"; "bestmove 0000" when there is no move.
std::string bestMoveLine(Move best, Move ponder, const MoveNotation &notation = {});
// One move as UCI writes it.
std::string uciMoveText(Move m, const MoveNotation &notation = {});
