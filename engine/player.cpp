// The engine player: the game record, the end-of-game test, and the tables and threads
// it prepares before a search.
#include "engine/player.h"

#include <algorithm>
#include <cstdio>
#include <thread>

#include "board/movegen.h"
#include "engine/tablebases.h"
#include "engine/threads.h"
#include "eval/pawnhash.h"
#include "search/tt.h"
#include "tools/perft.h"
#include "tools/randpos.h"
#include "book/book.h"

ChessPlayer::ChessPlayer(EngineInterface *engine, SearchLimits *limits)
    : maxThreads(std::max(1u, std::thread::hardware_concurrency())),
      limits_(limits),
      engine_(engine),
      board_(std::make_unique<Board_BB64>()),
      perftHash_(std::make_unique<PerftHash>()),
      tablebases_(std::make_unique<EngineTablebases>()) {
    board_->setFromFEN(START_FEN);
}

// The threads go first: they hold pointers to everything else.
ChessPlayer::~ChessPlayer() {
    stopSearch();
    pool_.reset();
    book_.reset();
    tablebases_.reset();
}

void ChessPlayer::copyBoard(Board_BB64 &out) {
    std::lock_guard<std::mutex> lock(gameMutex_);
    out = *board_;
}

bool ChessPlayer::setPosition(const char *fen) {
    std::lock_guard<std::mutex> lock(gameMutex_);
    gamePly_ = 0;
    return board_->setFromFEN(fen);
}

bool ChessPlayer::boardUsable() const { return perftPositionOk(*board_); }

bool evaluable(const Board_BB64 &b) {
    return b.sideToMove <= BLACK && popCount(b.pieces(WHITE, KING)) == 1 && popCount(b.pieces(BLACK, KING)) == 1;
}

void ChessPlayer::recordUnlocked(Move move) {
    gameMoves_[gamePly_] = move;
    board_->history[board_->historyIndex].movePlayed = move;
    board_->makeMove(move, gameUndo_[gamePly_]);
    gamePly_ = gamePly_ + 1;
}

void ChessPlayer::takeBackUnlocked() {
    gamePly_ = gamePly_ - 1;
    board_->unmakeMove(gameMoves_[gamePly_], gameUndo_[gamePly_]);
}

bool ChessPlayer::recordMove(Move move) {
    std::lock_guard<std::mutex> lock(gameMutex_);
    if (recordFull()) return false;
    recordUnlocked(move);
    return true;
}

bool ChessPlayer::takeBackMove() {
    std::lock_guard<std::mutex> lock(gameMutex_);
    if (gamePly_ == 0) return false;
    takeBackUnlocked();
    return true;
}

// The legality tests make and take back moves on the board: under the game lock, as
// thread 0 runs this after its move while the loop may copy the board.
bool ChessPlayer::checkGameEnd() {
    const char *result = nullptr;
    {
        std::lock_guard<std::mutex> lock(gameMutex_);
        MoveList list;
        const bool inCheck = generateAllLegal(*board_, list);
        if (list.size() == 0) {
            result = !inCheck ? "1/2-1/2 {Stalemate}"
                     : board_->side() == BLACK ? "1-0 {White wins by checkmate}"
                                               : "0-1 {Black wins by checkmate}";
        } else {
            int reason = DRAW_NONE;
            // Repetitions and the fifty-move rule are the opponent's to claim (we offer).
            if (isDraw(*board_, reason) && reason == DRAW_MATERIAL)
                result = "1/2-1/2 {Draw by insufficient material}";
        }
    }
    if (!result) return false;
    std::printf("%s\n", result);
    std::fflush(stdout);
    return true;
}

// The probe plays the move on the game board and takes it back, all under the lock so
// that a diagram printed meanwhile never shows the trial position.
bool ChessPlayer::shouldOfferDraw(Move move) {
    std::lock_guard<std::mutex> lock(gameMutex_);
    if (recordFull()) return false;
    recordUnlocked(move);
    MoveList list;
    generateAllLegal(*board_, list);
    int reason = DRAW_NONE;
    bool offer = false;
    // The draw test names a repetition only at the third occurrence.
    if (list.size() > 0 && isDraw(*board_, reason))
        offer = reason == DRAW_FIFTY_MOVES || reason == DRAW_REPETITION;
    takeBackUnlocked();
    return offer;
}

void ChessPlayer::setCores(uint32_t requested) {
    threadsToUse = std::min(requested, maxThreads);
    std::printf("# will now use %u cores (requested=%u, current=%u, max=%u)\n", threadsToUse, requested,
                currentThreads, maxThreads);
    std::fflush(stdout);
}

// A cleared table keeps its memory when its size stays: mapping a new block would
// leave its pages to be faulted in by the next search, inside the clock. Either way the
// size lines are printed again and nothing of the previous game survives. Current and
// requested sizes both become the size actually made, so a request that was rounded
// down does not reallocate before every search.
void ChessPlayer::prepareTables(bool clearTables) {
    if (!tt_) tt_ = std::make_unique<TranspositionTable>();
    const bool ttRemade =
        (ttHashSizeMB != ttCurrentMB_ || (clearTables && !tt_->entryCount())) && tt_->resize(ttHashSizeMB);
    if (clearTables && !ttRemade) tt_->clear();
    ttCurrentMB_ = ttHashSizeMB = tt_->sizeMB();

    if (!pawnHash_) pawnHash_ = std::make_unique<PawnHashTable>();
    if (clearTables || pawnHashSizeMB != pawnHashCurrentMB_ || !pawnHash_->entryCount()) {
        if (pawnHashSizeMB != pawnHashCurrentMB_ || !pawnHash_->entryCount()) pawnHash_->resize(pawnHashSizeMB);
        else pawnHash_->clear();
        announceTableSize("Pawn hash", pawnHash_->sizeMB());
    }
    pawnHashCurrentMB_ = pawnHashSizeMB = pawnHash_->sizeMB();
}

// A new block is faulted in on background threads (at start-up that keeps the 256 MB
// table out of the time to "feature done"); the search that would stall on it waits.
void ChessPlayer::waitForTables() {
    if (tt_) tt_->waitFaulted();
    if (pawnHash_) pawnHash_->waitFaulted();
}

// Called only while no search runs (start-up, "new", "protover", before a search).
void ChessPlayer::prepareSearch(bool clearTables) {
    // The pool holds pointers into the tables: it goes before they can be replaced.
    if (clearTables || threadsToUse != currentThreads) {
        pool_.reset();
        currentThreads = threadsToUse;
    }
    prepareTables(clearTables);
    if (!pool_) pool_ = std::make_unique<ThreadPool>(currentThreads, &ChessPlayer::searchJob, this);
}

void ChessPlayer::setRandomPosition() {
    std::lock_guard<std::mutex> lock(gameMutex_);
    gamePly_ = 0;
    generateRandomPosition(*board_);
}

void ChessPlayer::setBookFile(const std::string &path) {
    std::lock_guard<std::mutex> lock(bookMutex_);
    bookFilePath = path;
    if (book_) book_->rename(path.c_str());
}

bool ChessPlayer::bookMove(Move &move) {
    PolyglotBook *book;
    {
        std::lock_guard<std::mutex> lock(bookMutex_);
        if (!book_) book_ = std::make_unique<PolyglotBook>(bookFilePath.c_str());
        book = book_.get();
    }
    // The object lives until the player goes; only its name may change meanwhile.
    return book->probeBook(*board_, move);
}

void ChessPlayer::initialiseTablebases(const std::string &type, const std::string &path) {
    gtbPath = path;
    tablebases_->initialise(type, path, int(gtbCacheSizeMB));
}
