// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Handlers of the developer commands: perft and divide, the self-test, test files, the
// evaluation printout and the random-position tools. The tools count and draw; these
// handlers word what they found and hand a new position to the player.
#include <memory>

#include "xboard/tool_output.h"
#include "xboard/wbengine.h"
#include "board/movegen.h"
#include "platform/files.h"
#include "tools/randgames.h"
#include "tools/randpos.h"
#include "tools/selftest.h"
#include "platform/text_line.h"

namespace {

// The tools work on a copy of the game board (or on a board of their own), never on
// the game itself.
std::unique_ptr<Board_BB64> boardCopy(ChessPlayer &player) {
    auto board = std::make_unique<Board_BB64>();
    player.game().copyBoard(*board);
    return board;
}

}  // namespace

bool WBEngine::runPerft(const Arguments &args, bool divide) {
    const int depth = parseInteger(args[0].c_str());
    const auto board = boardCopy(player_);
    const PerftRun run = perftCommand(*board, perftHash_, perftHashSizeMB_, depth, divide);
    return printPerftRun(run, depth, divide, player_.notation(ChessPlayer::MoveListing::PERFT));
}

bool WBEngine::onPerft(const Arguments &args) { return runPerft(args, false); }

bool WBEngine::onDivide(const Arguments &args) { return runPerft(args, true); }

bool WBEngine::onSelftest(const Arguments &) {
    printSelfTestSummary(runSelfTest(*boardCopy(player_), perftHash_, perftHashSizeMB_, printSelfTestResult));
    return onNew({});
}

bool WBEngine::onTest(const Arguments &args) {
    if (!args.empty() && !runTestFile(*boardCopy(player_), args[0].c_str(), printTestFileLine)) {
        std::printf("# ERROR: failed to open file \"%s\" for reading\n", args[0].c_str());
        std::fflush(stdout);
        return false;
    }
    return onNew({});
}

// "eval" may come while the engine thinks: the player evaluates a copy of the board.
bool WBEngine::onEval(const Arguments &) {
    const std::optional<EvalBreakdown> e = player_.evaluation();
    if (e) printEvalBreakdown(*e);
    return e.has_value();
}

// The random tools leave the engine neutral: no side to play, force mode.
void WBEngine::enterNeutralState() {
    analyzeMode_ = false;
    engineColour_ = NO_COLOUR;
    forceMode_ = true;
    autoMode_ = false;
    gameOver_ = false;
}

// Without a count: one random position becomes the game. With one: that many FENs go
// to the named file or to the output, and a new game follows.
bool WBEngine::onRandpos(const Arguments &args) {
    enterNeutralState();
    const auto board = boardCopy(player_);
    if (args.empty()) {
        generateRandomPosition(*board, player_.chess960());
        char fen[128];
        board->toFEN(fen);
        player_.game().setGame(fen);
        boardChanged_ = true;
        printBoard();
        std::printf("%s\n", fen);
        return true;
    }
    const int count = parseInteger(args[0].c_str());
    if (count < 1) return false;
    const char *path = args.size() > 1 && !args[1].empty() ? args[1].c_str() : nullptr;
    std::FILE *out = path ? openRegularFile(path, "w") : stdout;
    if (!out) {
        std::printf("# ERROR: failed to open file \"%s\" for writing", path);
        std::fflush(stdout);
        return false;
    }
    generateRandomFens(*board, count, [out](const char *fen) { std::fprintf(out, "%s\n", fen); }, player_.chess960());
    std::fflush(out);
    if (path) {
        std::fclose(out);
        std::printf("Wrote %d random FENs to file \"%s\"\n", count, path);
        std::fflush(stdout);
    }
    boardChanged_ = true;
    return onNew({});
}

// The games are played on a copy of the board, each no longer than the game record
// allows; then the game starts again from the start position. A search still thinking
// about the old game is stopped first (without a move).
bool WBEngine::onRandgames(const Arguments &args) {
    // A count the tool refuses leaves a running analysis alone.
    const int count = parseInteger(args[0].c_str());
    if (count < 1) return false;
    player_.search().stop();
    std::printf("# Playing %lu random games ...\n", static_cast<unsigned long>(count));
    std::fflush(stdout);
    // About 15 KB of counters, kept off the stack.
    auto stats = std::make_unique<RandomGameStats>();
    const RandomGameOptions options{player_.chess960(), GAME_RECORD_CAPACITY};
    playRandomGames(*boardCopy(player_), uint64_t(count), options, *stats, [] {
        std::putchar('#');
        std::fflush(stdout);
    });
    std::printf("\ncalculate average values ...\n");
    printRandomGameStats(*stats);
    player_.game().setGame(START_FEN);
    enterNeutralState();
    boardChanged_ = true;
    return true;
}
