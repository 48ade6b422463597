// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Process entry: configuration, banner, command line, tables and threads, the start
// position, then the command loop until "quit" or the end of the input.
#include <cstdio>
#include <memory>

#include "board/board.h"
#include "xboard/wbengine.h"
#include "eval/evaluate.h"
#include "platform/files.h"

int main(int argc, char *argv[]) {
    initStaticTables();
    initEvaluationTables();
    auto engine = std::make_unique<WBEngine>();

    if (std::FILE *ini = openRegularFile("grelvin.ini", "r")) {
        engine->readConfigFile(ini);
        std::fclose(ini);
    }
    std::printf("# %s %s\n# \nfeature done=0\n", ENGINE_NAME, ENGINE_VERSION);
    std::fflush(stdout);
    engine->readCommandLine(argc, argv);

    // Commands arrive a line at a time from an interface that waits for our answers;
    // a read-ahead buffer would only hide input that arrives during a search.
    std::setvbuf(stdin, nullptr, _IONBF, 0);
    engine->startUp();
    engine->commandLoop(stdin);
    engine.reset();
    return 0;
}
