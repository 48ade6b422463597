// The engine player: the game board and its record of moves, the hash tables and the
// settings the search reads. Owned by the protocol engine (WBEngine).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "board/board.h"
#include "search/limits.h"
#include "search/search.h"

class PawnHashTable;
class SearchThread;
class PerftHash;
class TranspositionTable;

// What the search reports back to the protocol side: the move it has chosen.
class EngineInterface {
public:
    virtual ~EngineInterface() = default;
    virtual void makeEngineMove(Move move) = 0;
};

// The board history holds 1024 plies from the last set-up; a game may use 768 of them
// so that the deepest search line still fits on top of the longest game.
constexpr uint32_t GAME_RECORD_CAPACITY = 768;

class ChessPlayer : public SearchInterface {
public:
    static constexpr uint32_t DEFAULT_TT_MB = 256;
    static constexpr uint32_t DEFAULT_PAWN_HASH_MB = 32;

    ChessPlayer(EngineInterface *engine, SearchLimits *limits);
    ~ChessPlayer() override;
    ChessPlayer(const ChessPlayer &) = delete;
    ChessPlayer &operator=(const ChessPlayer &) = delete;

    Board_BB64 &board() { return *board_; }
    const Board_BB64 &board() const { return *board_; }

    // Sets the game board from a FEN and starts an empty game record there. On a
    // failed parse the board holds what the parser left (callers report it).
    bool setPosition(const char *fen);
    // Whether the board can be handed to the generators and the evaluation: one king
    // a side, a side to move, the side not to move out of check. A failed FEN can
    // leave a board that is none of these.
    bool boardUsable() const;

    // The game record: moves played since the last set-up and what taking each back
    // needs. recordMove refuses (false) when the record is full.
    uint32_t gamePly() const { return gamePly_; }
    Move gameMove(uint32_t ply) const { return gameMoves_[ply]; }
    bool recordMove(Move move);
    bool takeBackMove();

    // Creates or clears the transposition table and the pawn hash (see the .cpp).
    void prepareSearch(bool clearTables);
    void preparePerftHash();

    // The engine's search of the game position runs on a search thread; the move it
    // finds is played through the engine interface (see searchJob).
    void startSearch();
    bool searchBusy() const;
    // Stops a running search without playing a move and waits until it has ended.
    void stopSearch();

    // Search callbacks (thread 0): the time-out test, thinking output, statistics.
    bool timeOut() override;
    void reportThinking(int depth, int score, const PrincipalVariation &pv) override;
    void searchFinished() override;

    TranspositionTable *transpositionTable() { return tt_.get(); }
    PawnHashTable *pawnHash() { return pawnHash_.get(); }
    PerftHash &perftHash() { return *perftHash_; }
    EngineInterface *engine() const { return engine_; }
    SearchLimits *limits() const { return limits_; }

    // Requested sizes; the next prepareSearch applies them.
    uint32_t ttHashSizeMB = DEFAULT_TT_MB;
    uint32_t pawnHashSizeMB = DEFAULT_PAWN_HASH_MB;
    uint32_t perftHashSizeMB = 64;
    uint32_t gtbCacheSizeMB = 16;
    std::string gtbPath = "C:/gtb";
    std::string bookFilePath = "book.bin";
    bool bookEnabled = true;
    bool outOfBook = false;
    bool randomGameMode = false;
    bool postThinking = true;
    Move ponderMove = NO_MOVE;
    uint32_t maxThreads;
    uint32_t threadsToUse = 1;
    uint32_t currentThreads = 0;

private:
    void searchJob();
    void computeBudget();
    void applyOutOfBookBonus();

    SearchLimits *limits_;
    EngineInterface *engine_;
    std::unique_ptr<Board_BB64> board_;
    uint32_t gamePly_ = 0;
    Move gameMoves_[GAME_RECORD_CAPACITY] = {};
    UndoInfo gameUndo_[GAME_RECORD_CAPACITY] = {};

    std::unique_ptr<TranspositionTable> tt_;
    uint32_t ttCurrentMB_ = 0;
    std::unique_ptr<PawnHashTable> pawnHash_;
    uint32_t pawnHashCurrentMB_ = 0;
    std::unique_ptr<PerftHash> perftHash_;
    std::unique_ptr<SearchThread> searchThread_;
};
