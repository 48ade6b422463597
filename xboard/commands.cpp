// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The command table and the command loop.
#include "xboard/wbengine.h"
#include "platform/text_line.h"

// Rows keep the order in which they are scanned; no two share a name.
const CommandEntry commandTable[COMMAND_COUNT] = {
    {"quit", &WBEngine::onQuit, 0, 0, true},
    {"xboard", &WBEngine::onXboard, 0, 0, false},
    {"protover", &WBEngine::onProtover, 1, 1, false},
    {"new", &WBEngine::onNew, 0, 0, true},
    {"force", &WBEngine::onForce, 0, 0, true},
    {"ping", &WBEngine::onPing, 1, 1, false},
    {"usermove", &WBEngine::onUsermove, 1, 1, true},
    {"go", &WBEngine::onGo, 0, 0, true},
    {"playother", &WBEngine::onPlayother, 0, 0, true},
    {"setboard", &WBEngine::onSetboard, 4, 6, true},
    {"level", &WBEngine::onLevel, 3, 3, false},
    {"sd", &WBEngine::onSd, 1, 1, true},
    {"time", &WBEngine::onTime, 1, 1, false},
    {"undo", &WBEngine::onUndo, 0, 0, true},
    {"remove", &WBEngine::onRemove, 0, 0, true},
    {"analyze", &WBEngine::onAnalyze, 0, 0, true},
    {"exit", &WBEngine::onExit, 0, 0, true},
    {"auto", &WBEngine::onAuto, 0, 1, false},
    {"post", &WBEngine::onPost, 0, 0, false},
    {"nopost", &WBEngine::onNopost, 0, 0, false},
    {"cores", &WBEngine::onCores, 1, 1, false},
    {"egtpath", &WBEngine::onEgtpath, 2, 2, false},
    {"tbprobe", &WBEngine::onTbprobe, 0, 0, false},
    {"option", &WBEngine::onOption, 1, 1, false},
    {"book", &WBEngine::onBook, 0, 0, false},
    {"nobook", &WBEngine::onNobook, 0, 0, false},
    {"perft", &WBEngine::onPerft, 1, 1, true},
    {"divide", &WBEngine::onDivide, 1, 1, true},
    {"selftest", &WBEngine::onSelftest, 0, 0, true},
    {"test", &WBEngine::onTest, 0, 1, true},
    {"eval", &WBEngine::onEval, 0, 0, false},
    {"tune", &WBEngine::onTune, 1, 2, false},
    {"randpos", &WBEngine::onRandpos, 0, 2, true},
    {"randgame", &WBEngine::onRandgame, 0, 0, false},
    {"norandgame", &WBEngine::onNorandgame, 0, 0, false},
    {"randgames", &WBEngine::onRandgames, 1, 1, false},
    {"variant", &WBEngine::onVariant, 1, 1, true},
};

const CommandEntry *findCommand(std::string_view word) {
    for (const CommandEntry &row : commandTable)
        if (word == row.name) return &row;
    return nullptr;
}

std::vector<std::string> splitArguments(std::string_view text, char delimiter) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t pos; (pos = text.find(delimiter, start)) != std::string_view::npos; start = pos + 1)
        parts.emplace_back(text.substr(start, pos - start));
    if (start < text.size()) parts.emplace_back(text.substr(start));
    return parts;
}

void WBEngine::executeLine(const char *line) {
    const std::string_view text(line);
    if (text.empty()) return;
    const size_t blank = text.find(' ');
    const CommandEntry *row = findCommand(text.substr(0, blank));
    // Words outside the table (other protocol commands, bare moves) are ignored quietly.
    if (!row) return;
    Arguments args = blank == std::string_view::npos ? Arguments() : splitArguments(text.substr(blank + 1), ' ');
    // Syzygy folders may have blanks in their names: the path is the rest of the line.
    constexpr std::string_view SYZYGY_TYPE = "syzygy ";
    if (row->handler == &WBEngine::onEgtpath && args.size() > 2 && args[0] == "syzygy")
        args = {args[0], std::string(text.substr(blank + 1 + SYZYGY_TYPE.size()))};

    bool ok = false;
    if (args.size() < row->minArgs) {
        std::printf("Error (missing arguments, expected at least %u): %s\n", row->minArgs, line);
    } else if (args.size() > row->maxArgs) {
        std::printf("Error (too many arguments, expected at most %u): %s\n", row->maxArgs, line);
    } else {
        if (row->stopsSearch) player_.search().stop();
        ok = (this->*row->handler)(args);
    }
    if (!ok) std::printf("# command \"%s\" returned an error code \n", line);
}

void WBEngine::commandLoop(std::FILE *input) {
    // 1023 characters a line; a longer line arrives as several.
    char line[1024];
    while (!quitRequested_) {
        if (boardChanged_) printBoard();
        if (!xboardMode_) {
            std::printf("# Your move: ");
            std::fflush(stdout);
        }
        if (!std::fgets(line, sizeof line, input)) {
            // The end of the input is a quit without the command.
            player_.search().stop();
            onQuit({});
            break;
        }
        trimLineEnd(line);
        executeLine(line);
        std::fflush(stdout);
        if (quitRequested_) break;
        afterCommand();
    }
}

void WBEngine::afterCommand() {
    // No new search while one is running.
    if (player_.search().busy()) return;
    // A board a failed FEN left behind is neither judged nor searched; the engine says
    // so once and stops playing rather than leave the interface waiting for a move.
    if (!player_.game().boardUsable()) {
        if (engineColour_ != NO_COLOUR) {
            std::printf("# illegal position: the engine does not search it\n");
            std::fflush(stdout);
            engineColour_ = NO_COLOUR;
            forceMode_ = true;
        }
        return;
    }
    if (!gameOver_) gameOver_ = gameEnded();
    leaveFinishedGame();
    if (engineColour_ != player_.game().board().sideToMove) return;
    if (player_.game().recordFull()) {
        // The record cannot take the engine's move: the engine stops playing rather
        // than search for a move it could not make.
        std::printf("# game record full: no more moves can be played\n");
        std::fflush(stdout);
        engineColour_ = NO_COLOUR;
        forceMode_ = true;
        return;
    }
    // Sizes and thread counts changed by commands take effect here.
    player_.prepareSearch(false);
    // A chosen strength plays weaker moves; analysis stays at full strength.
    SearchOptions options;
    options.analysis = analyzeMode_;
    player_.setSearchOptions(options);
    player_.startSearch();
}
