// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The engine player: the game board and its record of moves, the hash tables, the
// settings and limits the search reads, the clock it plans each search from and the
// pool of search threads. It prints nothing a protocol defines: what happens reaches
// the face that owns it through its EngineListener. The developer tools (perft, random
// positions and games) are the faces' to call; the player takes their results as a new
// game position.
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

// What the tbprobe console command shows of the current position: the Syzygy files
// refused before the probe and while it ran, each prober's answer for the side to move
// (source NONE where it has none), and the Syzygy result once the position's halfmove
// clock counts (1 win, 0 draw, -1 loss).
struct TablebaseReport {
    std::vector<std::string> problemsBefore, problemsAfter;
    TbAnswer syzygy, gaviota;
    int halfmoveClock = 0;
    int syzygyVerdict = 0;
};

// The answers as every face shows them: "syzygy wdl W dtz D clock C R" (D "none"
// without the DTZ file, R win, draw or loss under the position's clock) or "syzygy
// none", then a Gaviota line where Gaviota has the position: "gaviota draw", "gaviota
// win N" or "gaviota loss N" (N plies to mate).
std::vector<std::string> tablebaseAnswerLines(const TablebaseReport &r);

class ChessPlayer : public SearchInterface {
public:
    // The settings start at the defaults of the given face.
    ChessPlayer(EngineListener *listener, SettingFace face = SettingFace::XBOARD);
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

    // The one way a position comes in: the game from a FEN and the moves played from it,
    // read by the face's rules (engine/replay.h). The record keeps the moves since the
    // last irreversible one. A refused FEN (BAD_FEN, UNPLAYABLE) leaves the board as the
    // FEN reader left it or no position at all, as the rules say, with an empty record.
    GameReplay setGame(std::string_view fen, std::span<const std::string_view> moves = {},
                       SetupRules rules = {.lenientFen = true});
    // Whether the board can be searched (isPlayable): a refused FEN can leave one that
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

    // The limits of the current search (the plan, the depth, the options).
    const SearchLimits &limits() const { return *limits_; }

    // The value of every setting (engine/settings.h).
    const SettingValues &settings() const { return settings_; }
    // The one door for every setting: reads the text by the setting's rule, refuses it or
    // brings it within range as the request says, stores it and does what its row's
    // effect asks for (sizes and the thread count take effect at the next prepareSearch,
    // the book file at once, tablebase settings reload the tables, "Clear Hash" clears
    // them); at start-up only the rows marked so run their effect. Returns what the face
    // tells: the value as read, the threads, the tables found.
    SettingOutcome applySetting(SettingId id, std::string_view text, SettingRequest request = {});
    // Syzygy files refused since the last call, with their reasons.
    std::vector<std::string> syzygyProblems();
    // What the tables say about the current position.
    TablebaseReport probeTablebases();
    // A new game: the engine clock at zero, the first search out of the book may think
    // longer again, and a level without a seed makes new choices from here on.
    void newGame();
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

    // The clock of the searches from now on (engine/time_manager.h), in effect at once
    // also during a search: a reading of the clock by sessions ("time") sets the time
    // used. The budget the clock gives by itself, for the face to show (none for a
    // control by sessions, planned as each search starts).
    std::optional<int64_t> setClock(const SearchClock &clock);
    // A ponder search becomes the search of our move: its clock's plan applies, the
    // time since the request counted in.
    void ponderHit() { timeManager_.ponderHit(); }
    // The engine no longer plays: its clock stops.
    void pauseClock() { timeManager_.pauseClock(); }
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
    int64_t searchElapsedMs() override { return timeManager_.searchElapsedMs(); }
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
    // Thread count: the next prepareSearch builds the pool with this many threads
    // (capped at the hardware's).
    CoresReport setCores(uint32_t requested);
    // Tears the Gaviota tables down and loads them again from the stored path and cache;
    // false when the index tables cannot be built.
    bool reloadGaviota();
    // Registers the Syzygy tables of the stored folders (SYZYGY_NO_PATH or "": none) and
    // returns how many were found; maxMen tells the largest.
    int loadSyzygy(int &maxMen);
    void runSearchJob();
    void helperJob(SearchState &st);
    bool randomMove(Move &move);
    // A search at a chosen strength: the level's node budget and lines go into the
    // search options for its run, and its move is chosen among the lines afterwards.
    void beginLevelSearch(SearchOptions &saved);
    void endLevelSearch(const SearchOptions &saved, SearchResult &result);
    // A root line to the listener.
    void showLine(const LineReport &line);
    bool bookMove(Move &move);
    void recordUnlocked(Move move);
    void takeBackUnlocked();
    void tellTableSize(const TableSizeReport &r, bool cleared, uint32_t &toldMB);
    void prepareTransposition(bool clearTables);
    // The size asked for is the setting's unless given (0: the setting).
    void preparePawnHash(bool clearTables, uint32_t askedMB = 0);
    // The stored book file; an existing book object is renamed.
    void renameBook();
    void applyEffect(SettingEffect effect, SettingOutcome &outcome);

    // What the search threads read: the time manager writes the plan and the depth,
    // setSearchOptions the options.
    SearchLimits searchLimits_;
    SearchLimits *const limits_ = &searchLimits_;
    EngineListener *listener_;
    TimeManager timeManager_;
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
    PrincipalVariation levelPvs_[STRENGTH_LINES];
    int levelDepth_ = 0, levelSelDepth_ = 0;
    // The last line shown when it was the exact best line (else NO_MOVE): its first
    // move and score, which a level's move must match.
    Move shownMove_ = NO_MOVE;
    int shownScore_ = 0;
    Relaxed<uint64_t> levelSalt_ = 0;  // the seed when none is set: drawn anew for each game
    uint32_t maxThreads_;
    uint32_t currentThreads_ = 0;
    uint32_t announcedThreads_ = 0;
    std::unique_ptr<Board_BB64> board_;
    std::mutex gameMutex_;
    Relaxed<uint32_t> gamePly_ = 0;
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
