// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "uci/command.h"

#include <algorithm>
#include <memory>

#include "board/movegen.h"
#include "platform/text_line.h"

namespace {

// Tabs and other control characters separate words as blanks do.
bool isBlank(char c) { return c == ' ' || (c >= 0 && c < ' ') || c == 0x7f; }

std::string joined(TokenSpan words) {
    std::string out;
    for (std::string_view w : words) {
        if (!out.empty()) out += ' ';
        out += w;
    }
    return out;
}

void noteIgnored(Notes &notes, TokenSpan words) {
    if (!words.empty()) notes.push_back("ignored: " + joined(words));
}

// A whole decimal number, saturated to the 64-bit range rather than rejected.
std::optional<int64_t> readNumber(std::string_view word) {
    const DecimalText d = readDecimal(word);
    return d.whole ? std::optional<int64_t>(d.value) : std::nullopt;
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
        if (!readMove(b, words[n], m)) go.notes.push_back("searchmoves: not a legal move: " + std::string(words[n]));
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

PositionCommand parsePosition(TokenSpan args) {
    PositionCommand p;
    if (args.empty() || (args[0] != "startpos" && args[0] != "fen")) {
        p.notes.push_back("position unchanged: startpos or fen expected");
        return p;
    }
    const size_t movesAt = size_t(std::find(args.begin(), args.end(), "moves") - args.begin());
    size_t baseEnd = 1;
    if (args[0] == "startpos") {
        p.fen = START_FEN;
    } else {
        // The FEN's six fields at most; whatever stands between them and "moves" is noted.
        baseEnd = std::min<size_t>(movesAt, 7);
        p.fen = joined(args.subspan(1, baseEnd - 1));
    }
    noteIgnored(p.notes, args.subspan(baseEnd, movesAt - baseEnd));
    if (movesAt < args.size()) p.moves.assign(args.begin() + long(movesAt) + 1, args.end());
    p.ok = true;
    return p;
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

SearchClock goClock(const GoCommand &g, Colour us) {
    const int them = 1 - us;
    SearchClock c;
    c.timeLeftMs = g.timeMs[us] ? g.timeMs[us] : g.timeMs[them];
    c.incrementMs = g.incMs[us] ? g.incMs[us] : g.incMs[them];
    c.movesToGo = g.movesToGo;
    c.moveTimeMs = g.moveTimeMs;
    if (g.depth) c.depth = int(std::clamp<int64_t>(*g.depth, 1, 127));
    c.infinite = g.infinite;
    c.ponder = g.ponder;
    return c;
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
    s.name = joined(args.subspan(nameAt + 1, valueAt - nameAt - 1));
    if (s.name.empty()) s.notes.push_back("setoption without a name");
    if (valueAt < args.size()) s.value = joined(args.subspan(valueAt + 1));
    return s;
}
