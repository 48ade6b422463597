// The engine player: the game record and the hash tables it sizes before a search.
#include "engine/player.h"

#include <algorithm>
#include <cstdio>
#include <thread>

#include "engine/search_thread.h"
#include "eval/pawnhash.h"
#include "search/tt.h"
#include "tools/perft.h"

ChessPlayer::ChessPlayer(EngineInterface *engine, SearchLimits *limits)
    : maxThreads(std::max(1u, std::thread::hardware_concurrency())),
      limits_(limits),
      engine_(engine),
      board_(std::make_unique<Board_BB64>()),
      perftHash_(std::make_unique<PerftHash>()),
      searchThread_(std::make_unique<SearchThread>(0)) {
    board_->setFromFEN(START_FEN);
}

ChessPlayer::~ChessPlayer() { stopSearch(); }

bool ChessPlayer::setPosition(const char *fen) {
    gamePly_ = 0;
    return board_->setFromFEN(fen);
}

bool ChessPlayer::boardUsable() const { return perftPositionOk(*board_); }

bool ChessPlayer::recordMove(Move move) {
    if (gamePly_ >= GAME_RECORD_CAPACITY) return false;
    gameMoves_[gamePly_] = move;
    board_->history[board_->historyIndex].movePlayed = move;
    board_->makeMove(move, gameUndo_[gamePly_]);
    ++gamePly_;
    return true;
}

bool ChessPlayer::takeBackMove() {
    if (gamePly_ == 0) return false;
    --gamePly_;
    board_->unmakeMove(gameMoves_[gamePly_], gameUndo_[gamePly_]);
    return true;
}

// A cleared table is a new object rather than a wiped one, so the size lines are
// printed again and nothing of the previous game survives. Current and requested
// sizes both become the size actually made, so a request that was rounded down does
// not reallocate before every search.
void ChessPlayer::prepareSearch(bool clearTables) {
    if (clearTables || !tt_) {
        tt_.reset();  // free the old table before the new one is allocated
        tt_ = std::make_unique<TranspositionTable>(ttHashSizeMB);
    } else if (ttHashSizeMB != ttCurrentMB_) {
        tt_->resize(ttHashSizeMB);
    }
    ttCurrentMB_ = ttHashSizeMB = tt_->sizeMB();

    if (clearTables || !pawnHash_ || pawnHashSizeMB != pawnHashCurrentMB_) {
        if (clearTables || !pawnHash_) {
            pawnHash_.reset();
            pawnHash_ = std::make_unique<PawnHashTable>();
        }
        pawnHash_->resize(pawnHashSizeMB);
        std::printf("# new size of Pawn hash: %u MB\n", pawnHash_->sizeMB());
        std::fflush(stdout);
    }
    pawnHashCurrentMB_ = pawnHashSizeMB = pawnHash_->sizeMB();
}

void ChessPlayer::preparePerftHash() { perftHash_->prepare(perftHashSizeMB); }
