// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Process entry of the UCI engine: the command loop until "quit" or the end of the
// input; "grelvin-uci bench" runs the search benchmark and ends. The tables are made
// when a game needs them ("isready", "ucinewgame", "position", "go"), so that "uci"
// is answered at once and a process that only lists its options touches none.
#include <cstring>
#include <memory>

#include "eval/evaluate.h"
#include "uci/uci_engine.h"

int main(int argc, char *argv[]) {
    initStaticTables();
    initEvaluationTables();
    auto engine = std::make_unique<UciEngine>();
    if (argc > 1 && std::strcmp(argv[1], "bench") == 0) {
        engine->bench();
        return 0;
    }
    engine->commandLoop(stdin);
    return 0;
}
