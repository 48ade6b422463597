// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Replaying a game from its FEN and moves, with the history restarted as often as a
// long game needs.
#include "engine/replay.h"

#include <algorithm>
#include <climits>
#include <memory>

#include "board/movegen.h"

namespace {

std::vector<std::string_view> fieldsOf(std::string_view text) {
    std::vector<std::string_view> fields;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        const size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
        if (i > start) fields.push_back(text.substr(start, i - start));
    }
    return fields;
}

// The sixth field, 1 when it is not a positive number (the board refuses it then).
int64_t moveNumberOf(std::string_view field) {
    int64_t n = 0;
    for (char c : field) {
        if (c < '0' || c > '9') return 1;
        n = std::min<int64_t>(n * 10 + (c - '0'), INT_MAX);
    }
    return std::max<int64_t>(n, 1);
}

void play(Board_BB64 &b, Move m, UndoInfo &undo) {
    b.history[b.historyIndex].movePlayed = m;
    b.makeMove(m, undo);
}

// Restarts the board's history from the position of the last irreversible move, then
// plays the moves since again: earlier positions cannot come back.
bool rebase(Board_BB64 &b, const std::vector<Move> &moves, std::vector<UndoInfo> &undos) {
    const size_t keep = std::min<size_t>({size_t(b.halfmoveClock), size_t(b.historyIndex), moves.size()});
    const size_t first = moves.size() - keep;
    for (size_t i = moves.size(); i-- > first;) b.unmakeMove(moves[i], undos[i]);
    char fen[128];
    b.toFEN(fen);
    if (!b.setFromFEN(fen)) return false;
    for (size_t i = first; i < moves.size(); ++i) play(b, moves[i], undos[i]);
    return true;
}

}  // namespace

std::string completeFen(std::string_view fen) {
    static constexpr const char *DEFAULTS[] = {"", "w", "-", "-", "0", "1"};
    const std::vector<std::string_view> fields = fieldsOf(fen);
    if (fields.empty()) return {};
    std::string out;
    for (size_t i = 0; i < 6; ++i) {
        if (i) out += ' ';
        const std::string_view field = i < fields.size() ? fields[i] : DEFAULTS[i];
        const bool zero = i == 5 && field.find_first_not_of('0') == std::string_view::npos;
        out += zero ? "1" : field;
    }
    return out;
}

GameReplay replayGame(std::string_view fen, std::span<const std::string_view> moves, SetupRules rules) {
    GameReplay g;
    g.fen = rules.lenientFen ? completeFen(fen) : std::string(fen);
    auto b = std::make_unique<Board_BB64>();
    if (!b->setFromFEN(g.fen.c_str())) return g;
    if (!isPlayable(*b)) {
        g.outcome = ReplayOutcome::UNPLAYABLE;
        return g;
    }

    std::vector<UndoInfo> undos;
    undos.reserve(moves.size());
    g.outcome = ReplayOutcome::PLAYED;
    for (std::string_view text : moves) {
        Move m = NO_MOVE;
        if (!readMove(*b, text, m)) {
            g.outcome = ReplayOutcome::ILLEGAL_MOVE;
            g.illegalMove = text;
            break;
        }
        // A board rebuilt from its own FEN always parses; the test only keeps a broken
        // board from being played on.
        if (b->historyIndex >= GAME_RECORD_CAPACITY && !rebase(*b, g.moves, undos)) {
            g.outcome = ReplayOutcome::BAD_FEN;
            return g;
        }
        undos.emplace_back();
        play(*b, m, undos.back());
        g.moves.push_back(m);
    }

    // The record keeps the moves since the last irreversible one; its start position is
    // the board with those moves taken back.
    const size_t keep = std::min<size_t>(
        {g.moves.size(), size_t(b->halfmoveClock), size_t(b->historyIndex), size_t(GAME_RECORD_CAPACITY - 1)});
    const size_t first = g.moves.size() - keep;
    for (size_t i = g.moves.size(); i-- > first;) b->unmakeMove(g.moves[i], undos[i]);
    char text[128];
    b->toFEN(text);
    g.recordFen = text;
    g.recordMoves.assign(g.moves.begin() + long(first), g.moves.end());

    const std::vector<std::string_view> fields = fieldsOf(g.fen);
    const bool blackFirst = fields.size() > 1 && fields[1] == "b";
    const int64_t number =
        (fields.size() > 5 ? moveNumberOf(fields[5]) : 1) + int64_t(g.moves.size() + (blackFirst ? 1 : 0)) / 2;
    g.fullMoveNumber = int(std::min<int64_t>(number, INT_MAX));
    return g;
}
