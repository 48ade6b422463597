// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The protocol engine: the command loop's state, the game modes and every command
// handler. Owns the engine player.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "engine/player.h"
#include "engine/version.h"
#include "tools/perft.h"

// The clock of a new game: 40 moves in 5 minutes, no depth limit.
SearchClock startingClock();

class WBEngine : public EngineListener {
public:
    using Arguments = std::vector<std::string>;
    using Handler = bool (WBEngine::*)(const Arguments &);

    // perftHashSizeMB: the size of the table perft, divide and the self-test share.
    explicit WBEngine(uint32_t perftHashSizeMB = PerftHash::DEFAULT_SIZE_MB);
    ~WBEngine() override;

    // The core's reports (search thread 0), in XBoard's words.
    void onIteration(const IterationReport &r) override;
    void onStopReason(StopReason reason, Move best, int plies) override;
    void onTimeout() override;
    void onSearchFinished(const SearchSummary &s) override;
    void onBudget(const BudgetReport &b) override;
    void onBudgetChange(BudgetChange change, int32_t maxTime) override;
    void onTableSize(const TableSizeReport &r) override;
    void onHashCollision(const Board_BB64 &b, Move m, bool pseudoLegal) override;
    void onBookError(int errorNumber) override;
    // Plays the chosen move unless the search was analysis or stopped.
    void onBestMove(const SearchResult &r, bool analysis) override;

    // Start-up, before the loop: the settings of the ini file, then those of the command
    // line (both reported as they are read).
    void readConfigFile(std::FILE *file);
    void readCommandLine(int argc, const char *const argv[]);
    // Start-up's last step before the loop: the table sizes told (the tables are made by
    // the first "new" or search), the start position, an empty record.
    void startUp();
    // Reads and runs commands until "quit" or the end of the input.
    void commandLoop(std::FILE *input);
    // One input line, without its line end: split, look up, check, run, report failure.
    void executeLine(const char *line);
    // "quit" was read.
    bool quitRequested() const { return quitRequested_; }

    // Command handlers, one per row of the command table.
    bool onQuit(const Arguments &args);
    bool onXboard(const Arguments &args);
    bool onProtover(const Arguments &args);
    bool onNew(const Arguments &args);
    bool onForce(const Arguments &args);
    bool onPing(const Arguments &args);
    bool onUsermove(const Arguments &args);
    bool onGo(const Arguments &args);
    bool onPlayother(const Arguments &args);
    bool onSetboard(const Arguments &args);
    bool onLevel(const Arguments &args);
    bool onSd(const Arguments &args);
    bool onTime(const Arguments &args);
    bool onUndo(const Arguments &args);
    bool onRemove(const Arguments &args);
    bool onAnalyze(const Arguments &args);
    bool onExit(const Arguments &args);
    bool onAuto(const Arguments &args);
    bool onPost(const Arguments &args);
    bool onNopost(const Arguments &args);
    bool onCores(const Arguments &args);
    bool onEgtpath(const Arguments &args);
    bool onTbprobe(const Arguments &args);
    [[noreturn]] static void exitOnTablebaseIndexFailure();
    bool onOption(const Arguments &args);
    bool onBook(const Arguments &args);
    bool onNobook(const Arguments &args);
    bool onPerft(const Arguments &args);
    bool onDivide(const Arguments &args);
    bool onSelftest(const Arguments &args);
    bool onTest(const Arguments &args);
    bool onEval(const Arguments &args);
    bool onTune(const Arguments &args);
    bool onRandpos(const Arguments &args);
    bool onRandgame(const Arguments &args);
    bool onNorandgame(const Arguments &args);
    bool onRandgames(const Arguments &args);
    bool onVariant(const Arguments &args);

private:
    // The board diagram ("# " and eight squares per rank, then "#"); clears boardChanged_.
    void printBoard();

    ChessPlayer player_;
    // The clock as the commands describe it ("level", "sd", analysis): the player
    // plans from it. Command loop only.
    SearchClock clock_ = startingClock();
    // Written by the command loop and by search thread 0 (after the engine's move).
    Relaxed<uint32_t> engineColour_ = NO_COLOUR;
    Relaxed<bool> gameOver_ = false;
    Relaxed<bool> forceMode_ = false;
    Relaxed<bool> boardChanged_ = true;
    bool xboardMode_ = false;
    Relaxed<bool> analyzeMode_ = false;
    Relaxed<bool> autoMode_ = false;
    bool quitRequested_ = false;
    // "post"/"nopost": thinking lines and statistics are printed.
    Relaxed<bool> postThinking_ = true;
    // The subtree counts of perft, divide and the self-test, made by their first run.
    PerftHash perftHash_;
    const uint32_t perftHashSizeMB_;

    // What the loop does between two input lines when no search runs (game-end test,
    // starting the engine's search).
    void afterCommand();
    // The "perft" and "divide" commands.
    bool runPerft(const Arguments &args, bool divide);
    // A finished game puts the engine in force mode with no side to play.
    void leaveFinishedGame();
    // No side to play, force mode, no analysis, auto mode or finished game.
    void enterNeutralState();
    // Takes back the last plies moves of the game record ("undo", "remove").
    bool takeBack(uint32_t plies);
    // Plays the engine's move on the game and announces it.
    void makeEngineMove(Move move, Move ponder);
    // The game's end after a move, with its result line.
    bool gameEnded();
};

struct CommandEntry {
    const char *name;
    WBEngine::Handler handler;
    uint32_t minArgs;
    uint32_t maxArgs;
    bool stopsSearch;
};

constexpr int COMMAND_COUNT = 37;
extern const CommandEntry commandTable[COMMAND_COUNT];

// The row for a command word (whole word, case-sensitive), or nullptr.
const CommandEntry *findCommand(std::string_view word);

// The pieces of text between delimiters. Adjacent delimiters give an empty piece; the
// text after the last delimiter is a piece only when it is not empty.
std::vector<std::string> splitArguments(std::string_view text, char delimiter);
