// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The book hash against a reference written here from the published rules and the raw
// constants file, not from the engine's routine or its compiled-in table.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "board/movegen.h"
#include "book/polyglot_keys.h"
#include "tests/test_support.h"

namespace {

std::vector<uint64_t> loadConstants(const std::string &path) {
    std::vector<uint64_t> values;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#') values.push_back(std::stoull(line, nullptr, 16));
    return values;
}

// Key of a FEN as the format defines it. The en-passant field is taken as a standard
// FEN writes it (after every double step); the file counts only when a pawn of the side
// to move stands beside the pawn that advanced.
uint64_t referenceKey(const std::vector<uint64_t> &random64, const std::string &fen) {
    std::istringstream fields(fen);
    std::string placement, side, castling, ep;
    fields >> placement >> side >> castling >> ep;
    char board[8][8] = {};  // [rank][file]
    int rank = 7, file = 0;
    for (char c : placement) {
        if (c == '/') --rank, file = 0;
        else if (std::isdigit(static_cast<unsigned char>(c))) file += c - '0';
        else board[rank][file++] = c;
    }
    uint64_t key = 0;
    const std::string kinds = "pPnNbBrRqQkK";
    for (int r = 0; r < 8; ++r)
        for (int f = 0; f < 8; ++f)
            if (board[r][f]) key ^= random64[64 * kinds.find(board[r][f]) + 8 * r + f];
    const std::string rights = "KQkq";
    for (int i = 0; i < 4; ++i)
        if (castling.find(rights[i]) != std::string::npos) key ^= random64[768 + i];
    if (ep != "-") {
        const int epFile = ep[0] - 'a';
        const int pawnRank = side == "w" ? 4 : 3;
        const char ownPawn = side == "w" ? 'P' : 'p';
        const bool capturable = (epFile > 0 && board[pawnRank][epFile - 1] == ownPawn) ||
                                (epFile < 7 && board[pawnRank][epFile + 1] == ownPawn);
        if (capturable) key ^= random64[772 + epFile];
    }
    if (side == "w") key ^= random64[780];
    return key;
}

}  // namespace

// Moves played on the board from the start; after each, the hand-written FEN of the
// position (with the en-passant target after every double step) gives the reference.
TEST(PolyglotKey, MatchesReferenceAfterMoves) {
    Board_BB64 start;
    start.setFromFEN(START_FEN);
    EXPECT_EQ(polyglotKey(start), 0x463b96181691fc9cULL);  // the published start key
    const std::string constants = testDataDir() + "/polyglot-random64.txt";
    GRELVIN_REQUIRE_DATA_FILE(constants);
    const std::vector<uint64_t> random64 = loadConstants(constants);
    ASSERT_EQ(random64.size(), 781u);

    struct Line {
        std::vector<std::pair<const char *, const char *>> steps;  // move, FEN after it
    } lines[] = {
        {{{"e2e4", "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"},  // e.p. not possible
          {"d7d5", "rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 2"},  // White e4 beside
          {"e4e5", "rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR b KQkq - 0 2"},
          {"f7f5", "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3"},  // e.p. possible
          {"e1e2", "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPPKPPP/RNBQ1BNR b kq - 0 3"},    // king loses both
          {"e8f7", "rnbq1bnr/ppp1pkpp/8/3pPp2/8/8/PPPPKPPP/RNBQ1BNR w - - 0 4"}}},
        {{{"a2a4", "rnbqkbnr/pppppppp/8/8/P7/8/1PPPPPPP/RNBQKBNR b KQkq a3 0 1"},
          {"b7b5", "rnbqkbnr/p1pppppp/8/1p6/P7/8/1PPPPPPP/RNBQKBNR w KQkq b6 0 2"},
          {"h2h4", "rnbqkbnr/p1pppppp/8/1p6/P6P/8/1PPPPPP1/RNBQKBNR b KQkq h3 0 2"},
          {"b5b4", "rnbqkbnr/p1pppppp/8/8/Pp5P/8/1PPPPPP1/RNBQKBNR w KQkq - 0 3"},
          {"c2c4", "rnbqkbnr/p1pppppp/8/8/PpP4P/8/1P1PPPP1/RNBQKBNR b KQkq c3 0 3"},
          {"b4c3", "rnbqkbnr/p1pppppp/8/8/P6P/2p5/1P1PPPP1/RNBQKBNR w KQkq - 0 4"},  // en passant
          {"a1a3", "rnbqkbnr/p1pppppp/8/8/P6P/R1p5/1P1PPPP1/1NBQKBNR b Kkq - 1 4"}}},  // rook loses Q
    };
    for (const Line &line : lines) {
        Board_BB64 b;
        ASSERT_TRUE(b.setFromFEN(START_FEN));
        for (const auto &[text, fen] : line.steps) {
            Move m;
            ASSERT_TRUE(textToMove(b, text, m)) << text;
            UndoInfo undo;
            b.makeMove(m, undo);
            EXPECT_EQ(polyglotKey(b), referenceKey(random64, fen)) << "after " << text << ": " << fen;
        }
    }
}
