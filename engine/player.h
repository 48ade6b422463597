// The engine player: the game board and its record of moves, the hash tables, the
// settings the search reads and the pool of search threads. Owned by the protocol
// engine (WBEngine).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "board/board.h"
#include "search/limits.h"
#include "search/relaxed.h"
#include "search/search.h"

class EngineTablebases;
class PawnHashTable;
class PolyglotBook;
class PerftHash;
class ThreadPool;
class TranspositionTable;

// What the search reports back to the protocol side: the move it has chosen.
class EngineInterface {
public:
    virtual ~EngineInterface() = default;
    virtual void makeEngineMove(Move move) = 0;
};

// The board history holds 1024 plies from the last set-up; a game may use 768 of them
// so that the deepest search line still fits on top of the longest game. No real game
// gets near it (the fifty-move rule and repetitions end games long before).
constexpr uint32_t GAME_RECORD_CAPACITY = 768;

// Whether the evaluation is defined: one king a side and a side to move (the side not
// to move may stand in check).
bool evaluable(const Board_BB64 &b);

class ChessPlayer : public SearchInterface {
public:
    static constexpr uint32_t DEFAULT_TT_MB = 256;
    static constexpr uint32_t DEFAULT_PAWN_HASH_MB = 32;

    ChessPlayer(EngineInterface *engine, SearchLimits *limits);
    ~ChessPlayer() override;
    ChessPlayer(const ChessPlayer &) = delete;
    ChessPlayer &operator=(const ChessPlayer &) = delete;

    // The game board. Thread 0 writes it (the engine's move) while the command loop may
    // read it: readers that can run during a search copy it under gameLock().
    Board_BB64 &board() { return *board_; }
    const Board_BB64 &board() const { return *board_; }
    std::unique_lock<std::mutex> gameLock() { return std::unique_lock<std::mutex>(gameMutex_); }
    // A consistent copy of the game board, safe during a search.
    void copyBoard(Board_BB64 &out);

    // Sets the game board from a FEN and starts an empty game record there. On a
    // failed parse the board holds what the parser left (callers report it).
    bool setPosition(const char *fen);
    // A random position ("randpos") with an empty game record.
    void setRandomPosition();
    // Whether the board can be searched: one king a side, a side to move, the side not
    // to move out of check. A failed FEN can leave a board that is none of these.
    bool boardUsable() const;

    // The game record: moves played since the last set-up and what taking each back
    // needs. recordMove refuses (false) when the record is full.
    uint32_t gamePly() const { return gamePly_; }
    bool recordFull() const { return gamePly_ >= GAME_RECORD_CAPACITY; }
    bool recordMove(Move move);
    bool takeBackMove();

    // End of the game: prints the result line and answers true after mate, stalemate
    // or a draw by insufficient material.
    bool checkGameEnd();
    // Playing move would reach a fifty-move or threefold-repetition draw.
    bool shouldOfferDraw(Move move);

    // Thread count: the next prepareSearch builds the pool with this many threads.
    void setCores(uint32_t requested);
    // Creates, resizes or clears the transposition table and the pawn hash, and builds
    // or rebuilds the thread pool.
    void prepareSearch(bool clearTables);

    // The book file ("option bookFilePath"); an existing book object is renamed.
    void setBookFile(const std::string &path);
    // Tears the tablebases down and loads them again from path with the stored cache
    // size; a type other than "gaviota" leaves none loaded.
    void initialiseTablebases(const std::string &type, const std::string &path);

    // Wakes every search thread for a search of the game position.
    void startSearch();
    bool searchBusy() const;
    // Stops a running search without playing a move and waits until it has ended.
    void stopSearch();
    // Lets every thread leave its loop (quit, end of input).
    void shutdownThreads();

    // Search callbacks (thread 0): the time-out test, thinking output, statistics.
    bool timeOut() override;
    void reportThinking(int depth, int score, const PrincipalVariation &pv) override;
    void searchFinished() override;

    PawnHashTable *pawnHash() { return pawnHash_.get(); }
    PerftHash &perftHash() { return *perftHash_; }
    ThreadPool *threads() { return pool_.get(); }

    // The job every search thread runs when woken; thread 0 plays the move.
    static void searchJob(uint32_t index, void *player);

    // Requested sizes; the next prepareSearch applies them.
    uint32_t ttHashSizeMB = DEFAULT_TT_MB;
    uint32_t pawnHashSizeMB = DEFAULT_PAWN_HASH_MB;
    uint32_t perftHashSizeMB = 64;
    uint32_t gtbCacheSizeMB = 16;
    std::string gtbPath = "C:/gtb";
    std::string bookFilePath = "book.bin";
    // Switched by commands that run during a search, read by thread 0.
    Relaxed<bool> bookEnabled = true;
    Relaxed<bool> randomGameMode = false;
    Relaxed<bool> postThinking = true;
    bool outOfBook = false;
    Move ponderMove = NO_MOVE;
    uint32_t maxThreads;
    uint32_t threadsToUse = 1;
    uint32_t currentThreads = 0;

private:
    void runSearchJob();
    void helperJob(SearchState &st);
    void computeBudget();
    void applyOutOfBookBonus(bool timed);
    void guardClock();
    bool randomMove(Move &move);
    bool bookMove(Move &move);
    void recordUnlocked(Move move);
    void takeBackUnlocked();
    void prepareTables(bool clearTables);
    void waitForTables();

    SearchLimits *limits_;
    EngineInterface *engine_;
    std::unique_ptr<Board_BB64> board_;
    std::mutex gameMutex_;
    Relaxed<uint32_t> gamePly_ = 0;
    int32_t clockLeft_ = 0;  // what the clock held when the budget was made
    Move gameMoves_[GAME_RECORD_CAPACITY] = {};
    UndoInfo gameUndo_[GAME_RECORD_CAPACITY] = {};

    std::unique_ptr<TranspositionTable> tt_;
    uint32_t ttCurrentMB_ = 0;
    std::unique_ptr<PawnHashTable> pawnHash_;
    uint32_t pawnHashCurrentMB_ = 0;
    std::unique_ptr<PerftHash> perftHash_;
    std::unique_ptr<ThreadPool> pool_;
    uint64_t helperNodes_ = 0;  // thread 0's last reading of the helpers' node counters
    // Created by thread 0 at the first timed search with the book on; renamed by the
    // command loop: the pointer and the path are guarded by bookMutex_.
    std::unique_ptr<PolyglotBook> book_;
    std::unique_ptr<EngineTablebases> tablebases_;
    std::mutex bookMutex_;
};
