// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The UCI face's input lines read into plain values. Nothing here throws or prints:
// what a line held that could not be used comes back as notes, one sentence each, for
// the face to pass on as "info string" lines.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "board/move.h"

class Board_BB64;

using Tokens = std::vector<std::string_view>;
using TokenSpan = std::span<const std::string_view>;
using Notes = std::vector<std::string>;

// The words of a line: runs of blanks and tabs separate them, line ends are dropped.
// The views point into `line`, which must outlive them.
Tokens tokenize(std::string_view line);
bool equalsIgnoreCase(std::string_view a, std::string_view b);

// The board's history holds 1024 plies and the search needs room above the game, as
// in the game record of the other face. Longer games keep only the plies since the
// last capture or pawn move, which are all a repetition can reach.
constexpr uint32_t POSITION_MAX_PLIES = 768;

struct PositionResult {
    bool ok = false;          // the board holds the new position (maybe short of a bad move)
    std::vector<Move> moves;  // the moves played from the base position
    Notes notes;
};

// "position" arguments: startpos | fen <fields>, then optionally moves m1 m2 ...
// A bad base position leaves the board as it was; a move that is not legal stops the
// list there.
PositionResult parsePosition(TokenSpan args, Board_BB64 &board);

struct GoCommand {
    std::optional<int64_t> timeMs[2];  // by colour; negative clock values read as 0
    std::optional<int64_t> incMs[2];
    std::optional<int64_t> movesToGo;
    std::optional<int64_t> depth;
    std::optional<int64_t> nodes;
    std::optional<int64_t> moveTimeMs;
    std::optional<int64_t> mate;
    std::optional<int64_t> perftDepth;
    bool infinite = false;
    bool ponder = false;
    std::vector<Move> searchMoves;  // legal in the given position; empty: all moves
    Notes notes;
};

// "go" arguments in any order. searchmoves are checked against `board` (which is
// changed and restored by the move generator).
GoCommand parseGo(TokenSpan args, Board_BB64 &board);

struct SetOptionCommand {
    std::string name;  // empty when the line named no option
    std::optional<std::string> value;
    Notes notes;
};

// "setoption" arguments: name <words> [value <words>]. The keywords are lower case, as
// option names may hold the word "Value". The name's and the value's words come back
// with the spacing they had on the line, so the args must be tokens of one line.
SetOptionCommand parseSetOption(TokenSpan args);
