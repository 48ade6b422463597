// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The protocol engine: the engine's move, the board diagram and the handlers that
// change the game (new game, whose move it is, set-up, user moves, take-backs).
#include "xboard/wbengine.h"

#include <memory>

#include "board/movegen.h"
#include "xboard/output.h"

namespace {

// setboard reads the FEN as written and leaves the board as a failed read left it.
constexpr SetupRules SETBOARD_RULES{.lenientFen = false, .keepRefusedBoard = true};

}  // namespace

SearchClock startingClock() {
    SearchClock c;
    c.sessions = true;
    c.movesPerSession = 40;
    c.sessionMs = 5 * 60 * 1000;
    return c;
}

WBEngine::WBEngine() : player(this) { player.setClock(clock); }

WBEngine::~WBEngine() { player.search().shutdownThreads(); }

void WBEngine::onIteration(const IterationReport &r) {
    if (!postThinking) return;
    printThinkingLine(uint32_t(r.depth), r.score, r.elapsedCs, r.nodes, *r.pv, player.notation());
    if (r.depth > 7) std::fflush(stdout);
}

void WBEngine::onStopReason(StopReason reason, Move best, int plies) {
    printStopReason(reason, best, plies, player.notation());
}

void WBEngine::onTimeout() {
    std::printf("# timeout\n");
    std::fflush(stdout);
}

void WBEngine::onSearchFinished(const SearchSummary &s) {
    if (postThinking)
        printStatistics(s.totals, s.elapsedCs, s.ttFillPercent, s.pawnFillPercent, s.pawnHashHits);
    std::fflush(stdout);
}

void WBEngine::onBudget(const BudgetReport &b) { printBudget(b); }

void WBEngine::onBudgetChange(BudgetChange change, int32_t maxTime) { printBudgetChange(change, maxTime); }

void WBEngine::onTableSize(const TableSizeReport &r) {
    printTableSize(r.table, r.sizeMB, r.allocated);
}

void WBEngine::onHashCollision(const Board_BB64 &b, Move m, bool pseudoLegal) { printHashCollision(b, m, pseudoLegal); }

void WBEngine::onBookError(int errorNumber) { printBookError(errorNumber); }

// Analysis never plays a move, even when the tablebases settle the whole root; a search
// stopped from the command loop means the move is not wanted any more.
void WBEngine::onBestMove(const SearchResult &r, bool analysis) {
    if (analysis || r.aborted || r.bestMove == NO_MOVE) return;
    makeEngineMove(r.bestMove, r.ponderMove);
}

bool WBEngine::gameEnded() {
    const GameEnd end = player.game().checkGameEnd();
    printGameEnd(end);
    return end != GameEnd::NONE;
}

// Runs on the first search thread; the thread counts as busy until this returns, so
// the command loop neither starts a search nor changes the game meanwhile. A move the
// game record cannot take is never announced.
void WBEngine::makeEngineMove(Move move, Move ponderMove) {
    if (player.game().recordFull()) {
        std::printf("# game record full: no more moves can be played\n");
        gameOver = true;
        leaveFinishedGame();
        std::fflush(stdout);
        return;
    }
    if (player.game().shouldOfferDraw(move)) std::printf("offer draw\n");
    const MoveNotation notation = player.notation();
    char text[6];
    moveToText(move, notation, text);
    std::printf("# making engine move: %s\n", text);
    player.game().recordMove(move);
    boardChanged = true;
    std::printf("move %s\n", text);
    if (ponderMove != NO_MOVE) {
        char ponder[6];
        moveToText(ponderMove, notation, ponder);
        std::printf("# ponder move: %s\n", ponder);
    }
    printBoard();
    if (!gameOver) gameOver = gameEnded();
    leaveFinishedGame();
    std::fflush(stdout);
    // "auto" may arrive meanwhile (it does not stop the search): both sides of the
    // hand-over set the engine's side under the game lock.
    auto lock = player.game().lock();
    if (autoMode) engineColour = player.game().board().sideToMove;
}

void WBEngine::leaveFinishedGame() {
    if (!gameOver) return;
    engineColour = NO_COLOUR;
    forceMode = true;
}

void WBEngine::setUpStartPosition() {
    player.game().setGame(START_FEN);
    player.newGame();
    boardChanged = true;
}

void WBEngine::printBoard() {
    char diagram[8 * 11 + 3];
    {
        auto lock = player.game().lock();
        const Board_BB64 &b = player.game().board();
        char *out = diagram;
        for (int rank = RANK_8; rank >= RANK_1; --rank) {
            *out++ = '#';
            *out++ = ' ';
            for (int file = FILE_A; file <= FILE_H; ++file) {
                const Square s = makeSquare(file, rank);
                const int pt = b.pieceOn[s] <= KING ? b.pieceOn[s] : 0;
                const char ch = PIECE_CHARS[pt];
                *out++ = b.colorOn[s] == WHITE && pt ? char(ch - 'a' + 'A') : ch;
            }
            *out++ = '\n';
        }
        *out++ = '#';
        *out++ = '\n';
        *out = 0;
    }
    // Cleared before the diagram appears: an interface that answers the diagram at
    // once must not find the loop about to print the same diagram again.
    boardChanged = false;
    std::fputs(diagram, stdout);
    std::fflush(stdout);
}

bool WBEngine::onNew(const Arguments &) {
    player.prepareSearch(true);
    // The interface names the variant after "new", when it is not the standard game.
    player.applySetting(CHESS960, "0");
    player.game().setGame(START_FEN);
    player.newGame();
    player.search().setRandomGameMode(false);
    gameOver = forceMode = autoMode = false;
    boardChanged = true;
    clock = startingClock();
    clock.infinite = analyzeMode;
    player.setClock(clock);
    const Colour toMove = player.game().board().side();
    engineColour = analyzeMode ? toMove : opposite(toMove);
    printBoard();
    return true;
}

bool WBEngine::onForce(const Arguments &) {
    player.pauseClock();
    engineColour = NO_COLOUR;
    forceMode = true;
    autoMode = false;
    return true;
}

bool WBEngine::onGo(const Arguments &) {
    if (gameOver) {
        std::printf("Error (cannot make a move at end of game)\n");
        return false;
    }
    forceMode = analyzeMode = false;
    engineColour = player.game().board().sideToMove;
    return true;
}

bool WBEngine::onPlayother(const Arguments &) {
    forceMode = analyzeMode = false;
    engineColour = opposite(player.game().board().side());
    return true;
}

bool WBEngine::onAuto(const Arguments &args) {
    if (!args.empty()) return false;
    auto lock = player.game().lock();
    autoMode = true;
    forceMode = analyzeMode = false;
    engineColour = player.game().board().sideToMove;
    return true;
}

bool WBEngine::onSetboard(const Arguments &args) {
    std::string fen = args[0];
    for (size_t i = 1; i < args.size(); ++i) fen += ' ' + args[i];
    // The FEN as written; a failed parse leaves the board as the parser left it: the
    // diagram shows it and the board checks of the tools and the search keep away from it.
    const bool ok = player.game().setGame(fen, {}, SETBOARD_RULES).outcome != ReplayOutcome::BAD_FEN;
    boardChanged = true;
    gameOver = false;
    if (analyzeMode) {
        engineColour = player.game().board().sideToMove;
    } else {
        forceMode = true;
        engineColour = NO_COLOUR;
    }
    return ok;
}

bool WBEngine::onUsermove(const Arguments &args) {
    const std::string &text = args[0];
    if (gameOver) {
        std::printf("Error (cannot make a move at end of game)\n");
        return false;
    }
    // Four or five characters, or a short castling (O-O-O has five).
    if ((text.size() != 4 && text.size() != 5) && text != "O-O" && text != "0-0") {
        std::printf("Error (illegal argument to 'usermove' command): %s\n", text.c_str());
        return false;
    }
    Move move = NO_MOVE;
    auto board = std::make_unique<Board_BB64>();
    player.game().copyBoard(*board);
    if (!player.game().boardUsable() || !textToMove(*board, text.c_str(), move)) {
        std::printf("Error (illegal move): %s\n", text.c_str());
        return false;
    }
    if (player.game().recordFull()) {
        std::printf("Error (game record full, no more moves can be played): %s\n", text.c_str());
        return false;
    }
    std::printf("# making user move: %s\n", text.c_str());
    player.game().recordMove(move);
    boardChanged = true;
    if (!forceMode || analyzeMode) engineColour = player.game().board().sideToMove;
    printBoard();
    return true;
}

bool WBEngine::takeBack(uint32_t plies) {
    if (player.game().gamePly() < plies) return false;
    for (uint32_t i = 0; i < plies; ++i) player.game().takeBackMove();
    boardChanged = true;
    gameOver = false;
    if (analyzeMode) engineColour = player.game().board().sideToMove;
    return true;
}

bool WBEngine::onUndo(const Arguments &) { return takeBack(1); }

bool WBEngine::onRemove(const Arguments &) { return takeBack(2); }

bool WBEngine::onAnalyze(const Arguments &) {
    if (analyzeMode) return true;
    analyzeMode = true;
    clock.infinite = true;
    clock.depth = 0;
    player.setClock(clock);
    engineColour = player.game().board().sideToMove;
    return true;
}

bool WBEngine::onExit(const Arguments &) {
    if (!analyzeMode) return false;
    analyzeMode = false;
    clock.infinite = false;
    clock.depth = 0;
    player.setClock(clock);
    engineColour = NO_COLOUR;
    return true;
}
