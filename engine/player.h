// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The engine player: the game board and its record of moves, the hash tables, the
// settings the search reads and the pool of search threads. It prints nothing a
// protocol defines: what happens reaches the face that owns it through its
// EngineListener. The developer tools (perft, random positions and games) are the
// faces' to call; the player takes their results as a new game position.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "board/board.h"
#include "engine/listener.h"
#include "engine/replay.h"
#include "engine/settings.h"
#include "engine/strength.h"
#include "engine/time_manager.h"
#include "eval/breakdown.h"
#include "search/limits.h"
#include "board/relaxed.h"
#include "search/search.h"

class EngineTablebases;
class PawnHashTable;
class PolyglotBook;
class ThreadPool;
class TranspositionTable;

// The tables' answers for one position, for the side to move. Syzygy: WDL -2..2 and
// the DTZ as the table gives it (dtzKnown false without the DTZ file). Gaviota: the
// outcome (1 win, 0 draw, -1 loss) and the plies to mate.
struct TablebaseAnswer {
    bool syzygy = false;
    int wdl = 0;
    bool dtzKnown = false;
    int dtz = 0;
    bool gaviota = false;
    int gaviotaOutcome = 0;
    int gaviotaPlies = 0;
};

// The answer as the tbprobe console command shows it in every face: "syzygy wdl W dtz
// D" (D "none" without the DTZ file) or "syzygy none", then a Gaviota line where
// Gaviota has the position: "gaviota draw", "gaviota win N" or "gaviota loss N" (N
// plies to mate).
std::vector<std::string> tablebaseAnswerLines(const TablebaseAnswer &a);

class ChessPlayer : public SearchInterface {
public:
    // The settings start at the defaults of the given face.
    ChessPlayer(EngineListener *listener, SearchLimits *limits, SettingFace face = SettingFace::XBOARD);
    ~ChessPlayer() override;
    ChessPlayer(const ChessPlayer &) = delete;
    ChessPlayer &operator=(const ChessPlayer &) = delete;

    // The game board, read-only: it changes only through the operations below. Thread 0
    // writes it (the engine's move) while the command loop may read it: readers that
    // can run during a search copy it under gameLock().
    const Board_BB64 &board() const { return *board_; }
    std::unique_lock<std::mutex> gameLock() { return std::unique_lock<std::mutex>(gameMutex_); }
    // A consistent copy of the game board, safe during a search.
    void copyBoard(Board_BB64 &out);

    // Sets the game board from a FEN and starts an empty game record there. On a
    // failed parse the board holds what the parser left (callers report it).
    bool setPosition(const char *fen);
    // The game from a FEN (missing trailing fields take their defaults) and the moves
    // played from it: the record keeps the moves since the last irreversible one. A bad
    // FEN or a board that cannot be played leaves the game as it was.
    GameReplay setGame(std::string_view fen, std::span<const std::string_view> moves);
    // The game board becomes a copy of b (a tool's random position) with an empty
    // game record.
    void setPosition(const Board_BB64 &b);
    // Whether the board can be searched (isPlayable): a failed FEN can leave one that
    // cannot.
    bool boardUsable() const;

    // The game record: moves played since the last set-up and what taking each back
    // needs. recordMove refuses (false) when the record is full.
    uint32_t gamePly() const { return gamePly_; }
    bool recordFull() const { return gamePly_ >= GAME_RECORD_CAPACITY; }
    bool recordMove(Move move);
    bool takeBackMove();

    // End of the game: mate, stalemate or a draw by insufficient material.
    GameEnd checkGameEnd();
    // Playing move would reach a fifty-move or threefold-repetition draw.
    bool shouldOfferDraw(Move move);

    // Thread count: the next prepareSearch builds the pool with this many threads
    // (capped at the hardware's).
    CoresReport setCores(uint32_t requested);
    // Creates, resizes or clears the transposition table and the pawn hash, and builds
    // or rebuilds the thread pool. A new block is faulted in on background threads;
    // waitUntilReady() waits for them. Tables are made only here, so a process that
    // never plays touches none of their memory.
    void prepareSearch(bool clearTables);
    // Tells the listener the table sizes the next prepareSearch will make, without
    // making them: that prepareSearch then tells only what differs (a failure). The
    // thread count then counts as the current one until a pool is built.
    void announceTables();
    // Returns once every table made so far is in memory: nothing is left for a search
    // to wait for. Not during a search.
    void waitUntilReady();

    // The value of every setting (engine/settings.h).
    const SettingValues &settings() const { return settings_; }
    // Stores a setting's value (within range: readSetting's rule applies here too) and
    // does what its row's effect asks for: sizes and the thread count take effect at
    // the next prepareSearch, the book file at once, tablebase settings reload the
    // tables, "Clear Hash" clears them.
    void applySetting(SettingId id, int number, const std::string &text = {});
    // Only stores the value (start-up, before the tables exist).
    void storeSetting(SettingId id, int number, const std::string &text = {});
    // Tears the tablebases down and loads them again from path with the stored cache
    // size; a type other than "gaviota" leaves none loaded.
    void initialiseTablebases(const std::string &type, const std::string &path);
    // Registers the Syzygy tables of the folders (SYZYGY_NO_PATH or "": none) and
    // returns how many were found; maxMen tells the largest.
    int loadSyzygy(const std::string &folders, int &maxMen);
    // Syzygy files refused since the last call, with their reasons.
    std::vector<std::string> syzygyProblems();
    // What the tables say about the current position (side to move's view).
    TablebaseAnswer probeTablebases();
    // A new game: the first search out of the book may think longer again.
    void resetOutOfBook() { outOfBook_ = false; }
    void setBookEnabled(bool on) { settings_.setNumber(OWN_BOOK, on); }
    void setRandomGameMode(bool on) { randomGameMode_ = on; }
    // Chess960 games: no book (books hold standard games), random games and positions
    // from shuffled start positions. The board plays both games alike.
    bool chess960() const { return settings_.number(CHESS960) != 0; }
    bool randomGameMode() const { return randomGameMode_; }
    // How this face writes the moves of the current game (GAME: search lines, moves
    // played) or of a tool's listing (PERFT: divide): standard castling as the king's
    // two-square step; Chess960 castling as the king taking its rook under UCI, as
    // O-O/O-O-O in XBoard's game moves and as the king's step in XBoard's listings.
    // Read by search thread 0 too: the castling set-up changes only with the position.
    enum class MoveListing : uint8_t { GAME, PERFT };
    MoveNotation notation(MoveListing listing = MoveListing::GAME) const;
    // The evaluation of the game position term by term, on the engine's pawn hash
    // (made now if no search has made it yet); none for a board it cannot evaluate.
    // May run during a search: it works on a copy of the board.
    std::optional<EvalBreakdown> evaluation();

    // A budget from the face's clock (ms, see goBudgetMs): timed searches use it as it
    // is instead of the session control in SearchLimits, without the out-of-book bonus
    // or the clock guard; exact: it is all spent (a fixed move time), no early stop.
    // Negative: the session control decides again.
    void setFixedBudget(int64_t ms, bool exact = false);
    // Gives a running untimed search (a ponder search whose move was played) the budget
    // the face computed: time spent so far counts, so it ends once the search has run
    // that long. Before the search has begun it simply becomes a timed search.
    void startClockedBudget(int64_t ms);
    // The transposition table's fill in per mille, from a sample (cheap to read while
    // the search runs).
    int hashFullPermille() const;
    // Lines, root moves, mate and node targets of the searches from now on (the plain
    // search by default); out-of-range values are brought within range. Not during a
    // search.
    void setSearchOptions(const SearchOptions &options);

    // Wakes every search thread for a search of the game position, asked for at
    // askedAtMs (steadyMs()): a timed search's budget runs from then.
    void startSearch(int64_t askedAtMs);
    void startSearch() { startSearch(steadyMs()); }
    bool searchBusy() const;
    // Stops a running search without playing a move and waits until it has ended.
    void stopSearch();
    // Lets every thread leave its loop (quit, end of input).
    void shutdownThreads();

    // Search callbacks (thread 0), passed on to the listener.
    bool timeOut() override;
    void reportThinking(int depth, int score, const PrincipalVariation &pv) override;
    void reportLine(const LineReport &line) override;
    void reportCurrentMove(int depth, Move m, int number) override;
    void reportStop(StopReason reason, Move best, int plies) override;
    void searchFinished() override;
    void reportHashCollision(const Board_BB64 &b, Move m, bool pseudoLegal) override;

    ThreadPool *threads() { return pool_.get(); }

    // The job every search thread runs when woken; thread 0 plays the move.
    static void searchJob(uint32_t index, void *player);

private:
    void runSearchJob();
    void helperJob(SearchState &st);
    SessionControl sessionControl() const;
    void setBudgetCs(int32_t centiseconds);
    void computeBudget();
    void applyOutOfBookBonus(bool timed);
    void guardClock();
    bool randomMove(Move &move);
    // A search at a chosen strength: the level's node budget and lines go into the
    // search options for its run, and its move is chosen among the lines afterwards.
    void beginLevelSearch(SearchOptions &saved);
    void endLevelSearch(const SearchOptions &saved, SearchResult &result);
    bool bookMove(Move &move);
    void recordUnlocked(Move move);
    void takeBackUnlocked();
    void tellTableSize(const TableSizeReport &r, bool cleared, uint32_t &toldMB);
    void prepareTransposition(bool clearTables);
    // The size asked for is the setting's unless given (0: the setting).
    void preparePawnHash(bool clearTables, uint32_t askedMB = 0);
    // The stored book file; an existing book object is renamed.
    void renameBook();
    void applyEffect(SettingEffect effect);

    SearchLimits *limits_;
    EngineListener *listener_;
    SettingValues settings_;
    // Switched by commands that run during a search, read by thread 0.
    Relaxed<bool> randomGameMode_ = false;
    // Whether the current search plays at a chosen strength (set before the threads
    // wake: the helpers then stay idle), and the lines it found at the last depth.
    Relaxed<bool> levelSearch_ = false;
    StrengthLevel level_;  // the level of the current search, taken once at its start
    int shownLines_ = 1;
    int levelLineCount_ = 0;
    LineChoice levelLines_[STRENGTH_LINES];
    uint64_t levelSalt_;  // the seed when none is set: new choices every run
    bool outOfBook_ = false;
    Relaxed<int64_t> fixedBudgetMs_ = -1;
    Relaxed<bool> exactBudget_ = false;
    int32_t budgetCs_ = 0;  // the session control's budget of the current search
    uint32_t maxThreads_;
    uint32_t currentThreads_ = 0;
    uint32_t announcedThreads_ = 0;
    std::unique_ptr<Board_BB64> board_;
    std::mutex gameMutex_;
    Relaxed<uint32_t> gamePly_ = 0;
    int32_t clockLeft_ = 0;  // what the clock held when the budget was made
    Move gameMoves_[GAME_RECORD_CAPACITY] = {};
    UndoInfo gameUndo_[GAME_RECORD_CAPACITY] = {};

    // Sizes made (0: none yet), the requests they were made for (a request rounded down
    // is not made again before every search) and the sizes last told to the listener.
    std::unique_ptr<TranspositionTable> tt_;
    uint32_t ttCurrentMB_ = 0, ttRequestedMB_ = 0, ttToldMB_ = 0;
    std::unique_ptr<PawnHashTable> pawnHash_;
    uint32_t pawnHashCurrentMB_ = 0, pawnHashRequestedMB_ = 0, pawnToldMB_ = 0;
    uint32_t pawnAnnouncedMB_ = 0;  // the request announceTables told (0: none)
    std::unique_ptr<ThreadPool> pool_;
    uint64_t helperNodes_ = 0;  // thread 0's last reading of the helpers' node counters
    // Created by thread 0 at the first timed search with the book on; renamed by the
    // command loop: the pointer is guarded by bookMutex_.
    std::unique_ptr<PolyglotBook> book_;
    std::unique_ptr<EngineTablebases> tablebases_;
    std::mutex bookMutex_;
};
