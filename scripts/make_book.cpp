// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Writes an opening book in the Polyglot format from the engine's own games, so that the
// tests can carry a book whose every entry is accounted for.
//
//   make_book games OPENINGS OUT [depth] [plies]
//       Each line of OPENINGS (moves from the start position; '#' starts a comment)
//       is played, then the engine plays on against itself at a fixed depth (default
//       6) until ply `plies` (default 24). Every position up to that ply goes into the
//       book with the move played, weighted by how often it was played.
//   make_book line SIDE OUT MOVE...
//       The moves of one line from the start position; only SIDE's ("white" or
//       "black") moves go into the book.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "board/board.h"
#include "board/movegen.h"
#include "book/polyglot_keys.h"
#include "eval/evaluate.h"
#include "eval/pawnhash.h"
#include "search/basic_interface.h"
#include "search/search.h"
#include "search/tt.h"

namespace {

// (key, book move) -> times played.
using Counts = std::map<std::pair<uint64_t, uint16_t>, unsigned>;

// The book's move encoding: to file, to rank, from file, from rank, promotion piece
// (knight 1 … queen 4); castling as the king taking its own rook.
uint16_t bookMove(Move m) {
    char text[6];
    moveToText(m, text);
    int fromFile = text[0] - 'a', fromRank = text[1] - '1', toFile = text[2] - 'a', toRank = text[3] - '1';
    if (moveKind(m) == CASTLING) toFile = toFile > fromFile ? 7 : 0;
    const char *promotions = "nbrq";
    const char *p = text[4] ? std::strchr(promotions, text[4]) : nullptr;
    const int promotion = p ? int(p - promotions) + 1 : 0;
    return uint16_t(toFile | toRank << 3 | fromFile << 6 | fromRank << 9 | promotion << 12);
}

bool play(Board_BB64 &b, const std::string &text, Counts *counts) {
    Move m;
    if (!textToMove(b, text.c_str(), m)) {
        std::fprintf(stderr, "illegal move %s\n", text.c_str());
        return false;
    }
    if (counts) ++(*counts)[{polyglotKey(b), bookMove(m)}];
    UndoInfo undo;
    b.makeMove(m, undo);
    return true;
}

bool selfPlay(const std::vector<std::string> &opening, int depth, int plies, Counts &counts) {
    auto b = std::make_unique<Board_BB64>();
    b->setFromFEN(START_FEN);
    for (const std::string &m : opening)
        if (!play(*b, m, &counts)) return false;
    auto state = std::make_unique<SearchState>();
    SearchLimits limits;
    limits.fixedDepth = true;
    limits.maxDepth = uint32_t(depth);
    BasicSearchInterface quiet;
    TranspositionTable tt(16);
    PawnHashTable pawnHash(4);
    state->limits = &limits;
    state->player = &quiet;
    state->tt = &tt;
    state->eval.pawns = &pawnHash;
    for (int ply = int(opening.size()); ply < plies; ++ply) {
        MoveList legal;
        generateAllLegal(*b, legal);
        if (legal.size() == 0) break;
        const SearchResult r = iterativeDeepening(*state, *b);
        if (r.bestMove == NO_MOVE) break;
        char text[6];
        moveToText(r.bestMove, text);
        if (!play(*b, text, &counts)) return false;
    }
    return true;
}

bool write(const Counts &counts, const char *path) {
    std::ofstream out(path, std::ios::binary);
    for (const auto &[entry, times] : counts) {  // the map is sorted by key, then move
        const auto [key, move] = entry;
        const uint16_t weight = uint16_t(std::min(times, 65535u));
        unsigned char bytes[16] = {};
        for (int i = 0; i < 8; ++i) bytes[i] = uint8_t(key >> (56 - 8 * i));
        bytes[8] = uint8_t(move >> 8), bytes[9] = uint8_t(move);
        bytes[10] = uint8_t(weight >> 8), bytes[11] = uint8_t(weight);
        out.write(reinterpret_cast<const char *>(bytes), sizeof bytes);
    }
    std::printf("%zu entries written to %s\n", counts.size(), path);
    return bool(out);
}

std::vector<std::string> words(const std::string &line) {
    std::istringstream in(line.substr(0, line.find('#')));
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

int usage() {
    std::fprintf(stderr, "usage: make_book games OPENINGS OUT [depth] [plies]\n"
                         "       make_book line white|black OUT MOVE...\n");
    return 2;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 4) return usage();
    initStaticTables();
    initEvaluationTables();
    const std::string mode = argv[1];
    Counts counts;
    if (mode == "games") {
        const int depth = argc > 4 ? std::max(1, std::atoi(argv[4])) : 6;
        const int plies = argc > 5 ? std::max(1, std::atoi(argv[5])) : 24;
        std::ifstream in(argv[2]);
        if (!in) return std::fprintf(stderr, "cannot read %s\n", argv[2]), 1;
        for (std::string line; std::getline(in, line);)
            if (const auto opening = words(line); !opening.empty() && !selfPlay(opening, depth, plies, counts)) return 1;
    } else if (mode == "line" && (std::string(argv[2]) == "white" || std::string(argv[2]) == "black")) {
        const Colour side = std::string(argv[2]) == "white" ? WHITE : BLACK;
        auto b = std::make_unique<Board_BB64>();
        b->setFromFEN(START_FEN);
        for (int i = 4; i < argc; ++i)
            if (!play(*b, argv[i], b->side() == side ? &counts : nullptr)) return 1;
    } else {
        return usage();
    }
    return write(counts, argv[3]) ? 0 : 1;
}
