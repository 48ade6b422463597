// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "uci/command.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <memory>

#include "board/movegen.h"

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string joined(TokenSpan words) {
    std::string out;
    for (std::string_view w : words) {
        if (!out.empty()) out += ' ';
        out += w;
    }
    return out;
}

// The text of the line from the first word to the end of the last, spacing kept.
std::string_view lineSpan(TokenSpan words) {
    if (words.empty()) return {};
    const char *begin = words.front().data(), *end = words.back().data() + words.back().size();
    return {begin, size_t(end - begin)};
}

void noteIgnored(Notes &notes, TokenSpan words) {
    if (!words.empty()) notes.push_back("ignored: " + joined(words));
}

// A board the search can start from: one king each, and the side that just moved
// not left in check.
bool playable(const Board_BB64 &b) {
    if (b.sideToMove > BLACK) return false;
    if (popCount(b.pieces(WHITE, KING)) != 1 || popCount(b.pieces(BLACK, KING)) != 1) return false;
    return !isAttackedBy(b, b.side(), b.kingSquare(opposite(b.side())));
}

bool parseMove(Board_BB64 &b, std::string_view word, Move &move) {
    if (word.size() < 4 || word.size() > 5) return false;
    return textToMove(b, std::string(word).c_str(), move);
}

void playMove(Board_BB64 &b, Move m, UndoInfo &undo) {
    b.history[b.historyIndex].movePlayed = m;
    b.makeMove(m, undo);
}

// Restarts the board's history from the position of the last irreversible move, then
// plays the moves since again: earlier positions cannot come back.
bool rebase(Board_BB64 &b, const std::vector<Move> &moves, std::vector<UndoInfo> &undos) {
    const size_t keep = std::min<size_t>(b.halfmoveClock, b.historyIndex);
    const size_t first = moves.size() - keep;
    for (size_t i = moves.size(); i-- > first;) b.unmakeMove(moves[i], undos[i]);
    char fen[128];
    b.toFEN(fen);
    if (!b.setFromFEN(fen)) return false;
    for (size_t i = first; i < moves.size(); ++i) playMove(b, moves[i], undos[i]);
    return true;
}

// Plays the moves up to the first that is not legal; false if the board is unusable.
bool playMoves(TokenSpan words, Board_BB64 &b, PositionResult &r) {
    std::vector<UndoInfo> undos;
    for (std::string_view word : words) {
        Move m = NO_MOVE;
        if (!parseMove(b, word, m)) {
            r.notes.push_back("illegal move " + std::string(word) + ", the moves from there on are ignored");
            return true;
        }
        if (b.historyIndex >= POSITION_MAX_PLIES && !rebase(b, r.moves, undos)) {
            r.notes.push_back("position unchanged: the game could not be replayed");
            return false;
        }
        undos.emplace_back();
        playMove(b, m, undos.back());
        r.moves.push_back(m);
    }
    return true;
}

// Sets the base position from "startpos" or "fen <fields>"; `i` ends past it.
bool readBase(TokenSpan args, size_t &i, Board_BB64 &b, Notes &notes) {
    if (args.empty() || (args[0] != "startpos" && args[0] != "fen")) {
        notes.push_back("position unchanged: startpos or fen expected");
        return false;
    }
    i = 1;
    if (args[0] == "startpos") return b.setFromFEN(START_FEN);
    while (i < args.size() && args[i] != "moves") ++i;
    const size_t fields = std::min<size_t>(i - 1, 6);
    const std::string fen = joined(args.subspan(1, fields));
    if (!b.setFromFEN(fen.c_str()) || !playable(b)) {
        notes.push_back("position unchanged: bad FEN " + fen);
        return false;
    }
    noteIgnored(notes, args.subspan(1 + fields, i - 1 - fields));
    return true;
}

// A whole decimal number, saturated to the 64-bit range rather than rejected.
std::optional<int64_t> readNumber(std::string_view word) {
    if (word.empty()) return std::nullopt;
    int64_t value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (end != word.data() + word.size()) return std::nullopt;
    if (error == std::errc::result_out_of_range)
        return word[0] == '-' ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
    if (error != std::errc()) return std::nullopt;
    return value;
}

std::optional<int64_t> *numberField(GoCommand &go, std::string_view word) {
    if (word == "wtime") return &go.timeMs[WHITE];
    if (word == "btime") return &go.timeMs[BLACK];
    if (word == "winc") return &go.incMs[WHITE];
    if (word == "binc") return &go.incMs[BLACK];
    if (word == "movestogo") return &go.movesToGo;
    if (word == "depth") return &go.depth;
    if (word == "nodes") return &go.nodes;
    if (word == "movetime") return &go.moveTimeMs;
    if (word == "mate") return &go.mate;
    if (word == "perft") return &go.perftDepth;
    return nullptr;
}

bool isGoKeyword(GoCommand &go, std::string_view word) {
    return numberField(go, word) || word == "infinite" || word == "ponder" || word == "searchmoves";
}

// The moves after "searchmoves", up to the next keyword; returns how many words it took.
size_t readSearchMoves(TokenSpan words, Board_BB64 &b, GoCommand &go) {
    size_t n = 0;
    for (; n < words.size() && !isGoKeyword(go, words[n]); ++n) {
        Move m = NO_MOVE;
        if (!parseMove(b, words[n], m)) go.notes.push_back("searchmoves: not a legal move: " + std::string(words[n]));
        else if (std::find(go.searchMoves.begin(), go.searchMoves.end(), m) == go.searchMoves.end())
            go.searchMoves.push_back(m);
    }
    if (go.searchMoves.empty()) go.notes.push_back("searchmoves: no legal move given, all moves searched");
    return n;
}
}  // namespace

Tokens tokenize(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    Tokens out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i])) ++i;
        const size_t start = i;
        while (i < line.size() && !isBlank(line[i])) ++i;
        if (i > start) out.push_back(line.substr(start, i - start));
    }
    return out;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
               return lower(x) == lower(y);
           });
}

PositionResult parsePosition(TokenSpan args, Board_BB64 &board) {
    PositionResult r;
    // The board is large and may be left half set by a bad FEN: work on a copy.
    auto scratch = std::make_unique<Board_BB64>();
    size_t i = 0;
    if (!readBase(args, i, *scratch, r.notes)) return r;
    const size_t movesAt = std::find(args.begin() + i, args.end(), "moves") - args.begin();
    noteIgnored(r.notes, args.subspan(i, movesAt - i));
    if (movesAt < args.size() && !playMoves(args.subspan(movesAt + 1), *scratch, r)) {
        r.moves.clear();
        return r;
    }
    board = *scratch;
    r.ok = true;
    return r;
}

GoCommand parseGo(TokenSpan args, Board_BB64 &board) {
    GoCommand go;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view word = args[i];
        if (word == "infinite") go.infinite = true;
        else if (word == "ponder") go.ponder = true;
        else if (word == "searchmoves") i += readSearchMoves(args.subspan(i + 1), board, go);
        else if (std::optional<int64_t> *field = numberField(go, word)) {
            // A missing number leaves the next word to be read as what it is.
            const std::optional<int64_t> value = i + 1 < args.size() ? readNumber(args[i + 1]) : std::nullopt;
            if (!value) {
                go.notes.push_back(std::string(word) + " without a number, ignored");
                continue;
            }
            // No count or clock reading is below zero.
            *field = std::max<int64_t>(*value, 0);
            ++i;
        } else
            go.notes.push_back("ignored: " + std::string(word));
    }
    return go;
}

SetOptionCommand parseSetOption(TokenSpan args) {
    SetOptionCommand s;
    const size_t nameAt = std::find(args.begin(), args.end(), "name") - args.begin();
    noteIgnored(s.notes, args.subspan(0, nameAt));
    if (nameAt == args.size()) {
        s.notes.push_back("setoption without a name");
        return s;
    }
    const size_t valueAt = std::find(args.begin() + nameAt, args.end(), "value") - args.begin();
    s.name = lineSpan(args.subspan(nameAt + 1, valueAt - nameAt - 1));
    if (s.name.empty()) s.notes.push_back("setoption without a name");
    if (valueAt < args.size()) s.value = std::string(lineSpan(args.subspan(valueAt + 1)));
    return s;
}
