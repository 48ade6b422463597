// The protocol engine: the engine's move, the board diagram and the command handlers.
#include "engine/wbengine.h"

#include <cstdlib>

#include "eval/breakdown.h"
#include "tools/perft.h"
#include "tools/selftest.h"

WBEngine::WBEngine() : player(this, &limits) {}

WBEngine::~WBEngine() { player.stopSearch(); }

// Runs on the first search thread; the thread counts as busy until this returns, so
// the command loop neither starts a search nor changes the game meanwhile.
void WBEngine::makeEngineMove(Move move) {
    char text[6];
    moveToText(move, text);
    std::printf("# making engine move: %s\n", text);
    if (player.recordMove(move)) boardChanged = true;
    std::printf("move %s\n", text);
    if (player.ponderMove != NO_MOVE) {
        char ponder[6];
        moveToText(player.ponderMove, ponder);
        std::printf("# ponder move: %s\n", ponder);
    }
    printBoard();
    leaveFinishedGame();
    std::fflush(stdout);
    if (autoMode) engineColour = player.board().sideToMove;
}

void WBEngine::leaveFinishedGame() {
    if (!gameOver) return;
    engineColour = NO_COLOUR;
    forceMode = true;
}

void WBEngine::setUpStartPosition() {
    player.setPosition(START_FEN);
    player.outOfBook = false;
    boardChanged = true;
}

void WBEngine::printBoard() {
    const Board_BB64 &b = player.board();
    char row[12] = "# ";
    for (int rank = RANK_8; rank >= RANK_1; --rank) {
        for (int file = FILE_A; file <= FILE_H; ++file) {
            const Square s = makeSquare(file, rank);
            const int pt = b.pieceOn[s] <= KING ? b.pieceOn[s] : 0;
            const char ch = PIECE_CHARS[pt];
            row[2 + file] = b.colorOn[s] == WHITE && pt ? char(ch - 'a' + 'A') : ch;
        }
        row[10] = '\n';
        row[11] = 0;
        std::fputs(row, stdout);
    }
    std::fputs("#\n", stdout);
    std::fflush(stdout);
    boardChanged = false;
}

bool WBEngine::onQuit(const Arguments &) {
    // The loop has stopped any search already; the thread pool's shutdown joins it here
    // once there is one.
    quitRequested = true;
    return true;
}

bool WBEngine::onXboard(const Arguments &) {
    std::printf("\n");
    std::fflush(stdout);
    xboardMode = true;
    return true;
}

bool WBEngine::onNew(const Arguments &) {
    player.prepareSearch(true);
    player.setPosition(START_FEN);
    player.outOfBook = false;
    player.randomGameMode = false;
    gameOver = forceMode = autoMode = false;
    boardChanged = true;
    limits.clockRunning = false;
    limits.elapsed = limits.clockStart = 0;
    limits.timed = true;
    limits.fixedDepth = false;
    limits.movesPerSession = 40;
    limits.timePerSession = 30000;
    limits.increment = 0;
    if (analyzeMode) limits.timed = false;
    const Colour toMove = player.board().side();
    engineColour = analyzeMode ? toMove : opposite(toMove);
    printBoard();
    return true;
}

bool WBEngine::onPing(const Arguments &args) {
    std::printf("pong %d\n", std::atoi(args[0].c_str()));
    std::fflush(stdout);
    return true;
}

bool WBEngine::onSetboard(const Arguments &args) {
    std::string fen = args[0];
    for (size_t i = 1; i < args.size(); ++i) fen += ' ' + args[i];
    // A failed parse leaves the board as the parser left it; the diagram shows it and
    // the board checks of the tools and the search keep away from it.
    const bool ok = player.setPosition(fen.c_str());
    boardChanged = true;
    gameOver = false;
    if (analyzeMode) {
        engineColour = player.board().sideToMove;
    } else {
        forceMode = true;
        engineColour = NO_COLOUR;
    }
    return ok;
}

bool WBEngine::onPerft(const Arguments &args) {
    return perftCommand(player.board(), player.perftHash(), player.perftHashSizeMB, std::atoi(args[0].c_str()),
                        false, limits);
}

bool WBEngine::onDivide(const Arguments &args) {
    return perftCommand(player.board(), player.perftHash(), player.perftHashSizeMB, std::atoi(args[0].c_str()),
                        true, limits);
}

bool WBEngine::onSelftest(const Arguments &) {
    runSelfTest(player.board(), player.perftHash(), player.perftHashSizeMB);
    return onNew({});
}

bool WBEngine::onTest(const Arguments &args) {
    if (!args.empty() && !runTestFile(player.board(), args[0].c_str())) return false;
    return onNew({});
}

bool WBEngine::onEval(const Arguments &) {
    if (!player.pawnHash() || !player.boardUsable()) return false;
    printEvaluation(player.board(), *player.pawnHash());
    return true;
}

bool WBEngine::onGo(const Arguments &) {
    if (gameOver) {
        std::printf("Error (cannot make a move at end of game)\n");
        return false;
    }
    forceMode = analyzeMode = false;
    engineColour = player.board().sideToMove;
    return true;
}

bool WBEngine::onSd(const Arguments &args) {
    const int depth = std::atoi(args[0].c_str());
    if (depth < 0) return false;
    limits.maxDepth = uint32_t(depth);
    limits.fixedDepth = true;
    return true;
}

bool WBEngine::onPost(const Arguments &) {
    player.postThinking = true;
    return true;
}

bool WBEngine::onNopost(const Arguments &) {
    player.postThinking = false;
    return true;
}

bool WBEngine::onPending(const Arguments &) { return false; }
