// The protocol engine: the command loop's state, the game modes and every command
// handler. Owns the engine player.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "engine/player.h"

class WBEngine : public EngineInterface {
public:
    using Arguments = std::vector<std::string>;
    using Handler = bool (WBEngine::*)(const Arguments &);

    WBEngine();
    ~WBEngine() override;

    void makeEngineMove(Move move) override;

    // Start-up's last step before the loop: the start position, an empty record.
    void setUpStartPosition();
    // Reads and runs commands until "quit" or the end of the input.
    void commandLoop(std::FILE *input);
    // One input line, without its line end: split, look up, check, run, report failure.
    void executeLine(const char *line);
    // The board diagram ("# " and eight squares per rank, then "#"); clears boardChanged.
    void printBoard();

    SearchLimits limits;
    ChessPlayer player;
    uint32_t engineColour = NO_COLOUR;
    bool gameOver = false;
    bool forceMode = false;
    bool boardChanged = true;
    bool xboardMode = false;
    bool analyzeMode = false;
    bool autoMode = false;
    bool quitRequested = false;

    // Command handlers, one per row of the command table. Rows whose handler is not
    // written yet share onPending, which refuses so that the loop reports a failure.
    bool onQuit(const Arguments &args);
    bool onXboard(const Arguments &args);
    bool onNew(const Arguments &args);
    bool onPing(const Arguments &args);
    bool onSetboard(const Arguments &args);
    bool onPerft(const Arguments &args);
    bool onDivide(const Arguments &args);
    bool onSelftest(const Arguments &args);
    bool onTest(const Arguments &args);
    bool onEval(const Arguments &args);
    bool onGo(const Arguments &args);
    bool onSd(const Arguments &args);
    bool onPost(const Arguments &args);
    bool onNopost(const Arguments &args);
    bool onPending(const Arguments &args);

private:
    // What the loop does between two input lines when no search runs (game-end test,
    // starting the engine's search).
    void afterCommand();
    void startSearch();
    // A finished game puts the engine in force mode with no side to play.
    void leaveFinishedGame();
};

struct CommandEntry {
    const char *name;
    WBEngine::Handler handler;
    uint32_t minArgs;
    uint32_t maxArgs;
    bool stopsSearch;
};

constexpr int COMMAND_COUNT = 35;
extern const CommandEntry commandTable[COMMAND_COUNT];

// The row for a command word (whole word, case-sensitive), or nullptr.
const CommandEntry *findCommand(std::string_view word);

// The pieces of text between delimiters. Adjacent delimiters give an empty piece; the
// text after the last delimiter is a piece only when it is not empty.
std::vector<std::string> splitArguments(std::string_view text, char delimiter);
