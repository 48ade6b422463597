// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Handlers of the developer commands: perft and divide, the self-test, test files, the
// evaluation printout and the random-position tools.
#include <memory>

#include "xboard/output.h"
#include "xboard/wbengine.h"
#include "board/movegen.h"
#include "eval/breakdown.h"
#include "eval/pawnhash.h"
#include "tools/perft.h"
#include "tools/randgames.h"
#include "tools/randpos.h"
#include "tools/selftest.h"
#include "platform/text_line.h"

namespace {

// The tools work on a copy of the game board (or on a board of their own), never on
// the game itself.
std::unique_ptr<Board_BB64> boardCopy(ChessPlayer &player) {
    auto board = std::make_unique<Board_BB64>();
    player.copyBoard(*board);
    return board;
}

}  // namespace

// Divide writes castling as the king's two-square step, in Chess960 too.
bool WBEngine::runPerft(const Arguments &args, bool divide) {
    const int depth = parseInteger(args[0].c_str());
    const auto board = boardCopy(player);
    const MoveNotation notation(board->castling, CastlingText::KING_DESTINATION);
    const PerftRun run = perftCommand(*board, player.perftHash(), player.perftHashSizeMB(), depth, divide);
    return printPerftRun(run, depth, divide, notation);
}

bool WBEngine::onPerft(const Arguments &args) { return runPerft(args, false); }

bool WBEngine::onDivide(const Arguments &args) { return runPerft(args, true); }

bool WBEngine::onSelftest(const Arguments &) {
    runSelfTest(*boardCopy(player), player.perftHash(), player.perftHashSizeMB());
    return onNew({});
}

bool WBEngine::onTest(const Arguments &args) {
    if (!args.empty() && !runTestFile(*boardCopy(player), args[0].c_str())) return false;
    return onNew({});
}

// "eval" may come while the engine thinks: it evaluates a copy taken under the game
// lock, never the board the engine's move is being played on.
// Before the first game the engine has no pawn hash yet: a small one of its own serves.
bool WBEngine::onEval(const Arguments &) {
    const auto board = boardCopy(player);
    if (!isEvaluable(*board)) return false;
    if (PawnHashTable *table = player.pawnHash()) {
        printEvaluation(*board, *table);
    } else {
        PawnHashTable scratch(1);
        printEvaluation(*board, scratch);
    }
    return true;
}

// The random tools leave the engine neutral: no side to play, force mode.
void WBEngine::enterNeutralState() {
    analyzeMode = false;
    engineColour = NO_COLOUR;
    forceMode = true;
    autoMode = false;
    gameOver = false;
}

bool WBEngine::onRandpos(const Arguments &args) {
    enterNeutralState();
    if (args.empty()) {
        player.setRandomPosition();
        boardChanged = true;
        printBoard();
        char fen[128];
        player.board().toFEN(fen);
        std::printf("%s\n", fen);
        return true;
    }
    if (!randomFensCommand(*boardCopy(player), parseInteger(args[0].c_str()), args.size() > 1 ? args[1].c_str() : nullptr,
                           player.chess960()))
        return false;
    boardChanged = true;
    return onNew({});
}

// The random games are played on the game board, so a search still thinking about it
// is stopped first (without a move) rather than left to search a board that changes.
bool WBEngine::onRandgames(const Arguments &args) {
    // A count the tool refuses leaves a running analysis alone.
    const int count = parseInteger(args[0].c_str());
    if (count < 1) return false;
    player.stopSearch();
    const bool savedMode = player.randomGameMode();
    player.setRandomGameMode(true);
    const bool ok = player.playRandomGames(count);
    player.setRandomGameMode(savedMode);
    if (ok) {
        enterNeutralState();
        boardChanged = true;
    }
    return ok;
}
