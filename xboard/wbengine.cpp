// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The protocol engine: the engine's move, the board diagram and the handlers that
// change the game (new game, whose move it is, set-up, user moves, take-backs).
#include "xboard/wbengine.h"

#include <memory>

#include "board/movegen.h"
#include "xboard/config.h"
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

WBEngine::WBEngine(uint32_t perftHashSizeMB) : player_(this), perftHashSizeMB_(perftHashSizeMB) {
    player_.setClock(clock_);
}

void WBEngine::readConfigFile(std::FILE *file) { ::readConfigFile(file, player_); }

void WBEngine::readCommandLine(int argc, const char *const argv[]) { ::readCommandLine(argc, argv, player_); }

WBEngine::~WBEngine() { player_.search().shutdownThreads(); }

void WBEngine::onIteration(const IterationReport &r) {
    if (!postThinking_) return;
    printThinkingLine(uint32_t(r.depth), r.score, r.elapsedCs, r.nodes, *r.pv, player_.notation());
    if (r.depth > 7) std::fflush(stdout);
}

void WBEngine::onStopReason(StopReason reason, Move best, int plies) {
    printStopReason(reason, best, plies, player_.notation());
}

void WBEngine::onTimeout() {
    std::printf("# timeout\n");
    std::fflush(stdout);
}

void WBEngine::onSearchFinished(const SearchSummary &s) {
    if (postThinking_)
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
    const GameEnd end = player_.game().checkGameEnd();
    printGameEnd(end);
    return end != GameEnd::NONE;
}

// Runs on the first search thread; the thread counts as busy until this returns, so
// the command loop neither starts a search nor changes the game meanwhile. A move the
// game record cannot take is never announced.
void WBEngine::makeEngineMove(Move move, Move ponderMove) {
    if (player_.game().recordFull()) {
        std::printf("# game record full: no more moves can be played\n");
        gameOver_ = true;
        leaveFinishedGame();
        std::fflush(stdout);
        return;
    }
    if (player_.game().shouldOfferDraw(move)) std::printf("offer draw\n");
    const MoveNotation notation = player_.notation();
    char text[6];
    moveToText(move, notation, text);
    std::printf("# making engine move: %s\n", text);
    player_.game().recordMove(move);
    boardChanged_ = true;
    std::printf("move %s\n", text);
    if (ponderMove != NO_MOVE) {
        char ponder[6];
        moveToText(ponderMove, notation, ponder);
        std::printf("# ponder move: %s\n", ponder);
    }
    printBoard();
    if (!gameOver_) gameOver_ = gameEnded();
    leaveFinishedGame();
    std::fflush(stdout);
    // "auto" may arrive meanwhile (it does not stop the search): both sides of the
    // hand-over set the engine's side under the game lock.
    auto lock = player_.game().lock();
    if (autoMode_) engineColour_ = player_.game().board().sideToMove;
}

void WBEngine::leaveFinishedGame() {
    if (!gameOver_) return;
    engineColour_ = NO_COLOUR;
    forceMode_ = true;
}

// The sizes are told now, as an interface expects; the tables are made by the first
// "new" or search, so a process that only answers "protover" touches none.
void WBEngine::startUp() {
    player_.announceTables();
    player_.game().setGame(START_FEN);
    player_.newGame();
    boardChanged_ = true;
}

void WBEngine::printBoard() {
    char diagram[8 * 11 + 3];
    {
        auto lock = player_.game().lock();
        const Board_BB64 &b = player_.game().board();
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
    boardChanged_ = false;
    std::fputs(diagram, stdout);
    std::fflush(stdout);
}

bool WBEngine::onNew(const Arguments &) {
    player_.prepareSearch(true);
    // The interface names the variant after "new", when it is not the standard game.
    player_.applySetting(CHESS960, "0");
    player_.game().setGame(START_FEN);
    player_.newGame();
    player_.search().setRandomGameMode(false);
    gameOver_ = forceMode_ = autoMode_ = false;
    boardChanged_ = true;
    clock_ = startingClock();
    clock_.infinite = analyzeMode_;
    player_.setClock(clock_);
    const Colour toMove = player_.game().board().side();
    engineColour_ = analyzeMode_ ? toMove : opposite(toMove);
    printBoard();
    return true;
}

bool WBEngine::onForce(const Arguments &) {
    player_.pauseClock();
    engineColour_ = NO_COLOUR;
    forceMode_ = true;
    autoMode_ = false;
    return true;
}

bool WBEngine::onGo(const Arguments &) {
    if (gameOver_) {
        std::printf("Error (cannot make a move at end of game)\n");
        return false;
    }
    forceMode_ = analyzeMode_ = false;
    engineColour_ = player_.game().board().sideToMove;
    return true;
}

bool WBEngine::onPlayother(const Arguments &) {
    forceMode_ = analyzeMode_ = false;
    engineColour_ = opposite(player_.game().board().side());
    return true;
}

bool WBEngine::onAuto(const Arguments &args) {
    if (!args.empty()) return false;
    auto lock = player_.game().lock();
    autoMode_ = true;
    forceMode_ = analyzeMode_ = false;
    engineColour_ = player_.game().board().sideToMove;
    return true;
}

bool WBEngine::onSetboard(const Arguments &args) {
    std::string fen = args[0];
    for (size_t i = 1; i < args.size(); ++i) fen += ' ' + args[i];
    // The FEN as written; a failed parse leaves the board as the parser left it: the
    // diagram shows it and the board checks of the tools and the search keep away from it.
    const bool ok = player_.game().setGame(fen, {}, SETBOARD_RULES).outcome != ReplayOutcome::BAD_FEN;
    boardChanged_ = true;
    gameOver_ = false;
    if (analyzeMode_) {
        engineColour_ = player_.game().board().sideToMove;
    } else {
        forceMode_ = true;
        engineColour_ = NO_COLOUR;
    }
    return ok;
}

bool WBEngine::onUsermove(const Arguments &args) {
    const std::string &text = args[0];
    if (gameOver_) {
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
    player_.game().copyBoard(*board);
    if (!player_.game().boardUsable() || !textToMove(*board, text.c_str(), move)) {
        std::printf("Error (illegal move): %s\n", text.c_str());
        return false;
    }
    if (player_.game().recordFull()) {
        std::printf("Error (game record full, no more moves can be played): %s\n", text.c_str());
        return false;
    }
    std::printf("# making user move: %s\n", text.c_str());
    player_.game().recordMove(move);
    boardChanged_ = true;
    if (!forceMode_ || analyzeMode_) engineColour_ = player_.game().board().sideToMove;
    printBoard();
    return true;
}

bool WBEngine::takeBack(uint32_t plies) {
    if (player_.game().gamePly() < plies) return false;
    for (uint32_t i = 0; i < plies; ++i) player_.game().takeBackMove();
    boardChanged_ = true;
    gameOver_ = false;
    if (analyzeMode_) engineColour_ = player_.game().board().sideToMove;
    return true;
}

bool WBEngine::onUndo(const Arguments &) { return takeBack(1); }

bool WBEngine::onRemove(const Arguments &) { return takeBack(2); }

bool WBEngine::onAnalyze(const Arguments &) {
    if (analyzeMode_) return true;
    analyzeMode_ = true;
    clock_.infinite = true;
    clock_.depth = 0;
    player_.setClock(clock_);
    engineColour_ = player_.game().board().sideToMove;
    return true;
}

bool WBEngine::onExit(const Arguments &) {
    if (!analyzeMode_) return false;
    analyzeMode_ = false;
    clock_.infinite = false;
    clock_.depth = 0;
    player_.setClock(clock_);
    engineColour_ = NO_COLOUR;
    return true;
}
