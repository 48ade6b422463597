// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The UCI face's input lines read into plain values, a "go" also into the clock the
// player plans from (engine/time_manager.h). Nothing here throws or prints:
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
#include "engine/time_manager.h"

class Board_BB64;

using Tokens = std::vector<std::string_view>;
using TokenSpan = std::span<const std::string_view>;
using Notes = std::vector<std::string>;

// The words of a line: runs of blanks, tabs and other control characters separate
// them, line ends are dropped.
// The views point into `line`, which must outlive them.
Tokens tokenize(std::string_view line);
bool equalsIgnoreCase(std::string_view a, std::string_view b);

struct PositionCommand {
    bool ok = false;                     // a base position was named
    std::string fen;                     // its FEN fields ("startpos": the start position)
    std::vector<std::string_view> moves;  // the words after "moves", views into the line
    Notes notes;
};

// "position" arguments: startpos | fen <fields>, then optionally moves m1 m2 ... Only
// the words are read here; the core replays them (engine/replay.h).
PositionCommand parsePosition(TokenSpan args);

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
// The clock of a "go" for side `us` (ms). An interface that names only the other side's
// clock (or sends increments or a move count alone) still gets a move in finite time:
// a field missing for us is read from the other side's.
SearchClock goClock(const GoCommand &g, Colour us);

struct SetOptionCommand {
    std::string name;  // empty when the line named no option
    std::optional<std::string> value;
    Notes notes;
};

// "setoption" arguments: name <words> [value <words>]. The keywords are lower case, as
// option names may hold the word "Value". The name's and the value's words come back
// joined by single blanks, however many blanks or tabs stood between them.
SetOptionCommand parseSetOption(TokenSpan args);
