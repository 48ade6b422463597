// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The engine player: it holds the settings and the limits the search reads, the clock
// it plans each search from and the tablebases, and composes the pieces that hold the
// rest: the game (engine/game.h), the hash tables (engine/hash_tables.h) and the search
// threads (engine/search_job.h). A face reaches a piece through its accessor; the
// player keeps the operations that coordinate several pieces or read the settings. It
// prints nothing a protocol defines: what happens reaches the face that owns it through
// its EngineListener. The developer tools (perft, random positions and games) are the
// faces' to call; the player takes their results as a new game position.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "board/board.h"
#include "engine/game.h"
#include "engine/hash_tables.h"
#include "engine/listener.h"
#include "engine/search_job.h"
#include "engine/settings.h"
#include "engine/time_manager.h"
#include "eval/breakdown.h"
#include "search/limits.h"
#include "search/search.h"

class EngineTablebases;

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

class ChessPlayer {
public:
    // The settings start at the defaults of the given face.
    ChessPlayer(EngineListener *listener, SettingFace face = SettingFace::XBOARD);
    ~ChessPlayer();
    ChessPlayer(const ChessPlayer &) = delete;
    ChessPlayer &operator=(const ChessPlayer &) = delete;

    // The pieces: the game board and its record, the tables, the search threads.
    Game &game() { return game_; }
    const Game &game() const { return game_; }
    HashTables &tables() { return tables_; }
    SearchJob &search() { return search_; }

    // Builds or rebuilds the thread pool for the thread count and prepares the tables
    // for their sizes (engine/hash_tables.h). Not during a search.
    void prepareSearch(bool clearTables);
    // Tells the listener the table sizes the next prepareSearch will make, without
    // making them. The thread count then counts as the current one until a pool is built.
    void announceTables();

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
    void setBookEnabled(bool on) { settings_.setNumber(OWN_BOOK, on); }
    // Chess960 games: no book (books hold standard games), random games and positions
    // from shuffled start positions. The board plays both games alike.
    bool chess960() const { return settings_.number(CHESS960) != 0; }
    // Syzygy files refused since the last call, with their reasons.
    std::vector<std::string> syzygyProblems();
    // What the tables say about the current position.
    TablebaseReport probeTablebases();

    // A new game: the engine clock at zero, the first search out of the book may think
    // longer again, and a level without a seed makes new choices from here on.
    void newGame();
    // How this face writes the moves of the current game (GAME: search lines, moves
    // played) or of a tool's listing (PERFT: divide): standard castling as the king's
    // two-square step; Chess960 castling as the king taking its rook under UCI, as
    // O-O/O-O-O in XBoard's game moves and as the king's step in XBoard's listings.
    // Read by search thread 0 too: the castling set-up changes only with the position.
    enum class MoveListing : uint8_t { GAME, PERFT };
    MoveNotation notation(MoveListing listing = MoveListing::GAME) const;
    // The evaluation of the game position term by term, on the engine's pawn hash;
    // none for a board it cannot evaluate. May run during a search: it works on a copy
    // of the board.
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
    // Lines, root moves, mate and node targets of the searches from now on (the plain
    // search by default); out-of-range values are brought within range. Not during a
    // search.
    void setSearchOptions(const SearchOptions &options);
    // Wakes every search thread for a search of the game position, asked for at
    // askedAtMs (steadyMs()): a timed search's budget runs from then.
    void startSearch(int64_t askedAtMs = steadyMs());

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
    void applyEffect(SettingEffect effect, SettingOutcome &outcome);

    // What the search threads read: the time manager writes the plan and the depth,
    // setSearchOptions the options.
    SearchLimits searchLimits_;
    SearchLimits *const limits_ = &searchLimits_;
    TimeManager timeManager_;
    SettingValues settings_;
    uint32_t announcedThreads_ = 0;
    std::unique_ptr<EngineTablebases> tablebases_;
    Game game_;
    HashTables tables_;
    // Last: its threads hold pointers to everything above.
    SearchJob search_;
};
