// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The whole command loop on arbitrary input, searches included (timing varies between runs):
// a ping added after the input must find its "pong".
#include "tests/fuzz/command_filter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::prepareProcess();

    const std::string_view input(reinterpret_cast<const char *>(data), size);
    std::string text = fuzzing::keptLines(input, fuzzing::MAX_LINES, [](std::string_view line) {
        return fuzzing::worthRunning(fuzzing::loopLine(line));
    });
    if (text.empty()) return 0;
    bool quits = false;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find('\n', start);
        quits = quits || fuzzing::loopLine(std::string_view(text).substr(start, end - start)) == "quit";
        start = end + 1;
    }
    text += "ping 424242\n";

    fuzzing::startCapture();
    {
        WBEngine engine(1);  // a 1 MB perft table
        fuzzing::prepareSmallEngine(engine);
        std::FILE *file = fmemopen(text.data(), text.size(), "r");
        if (!file) return 0;
        engine.commandLoop(file);
        std::fclose(file);
    }
    const std::string output = fuzzing::capturedOutput();
    // The console prompt may stand before the answer on its line.
    if (!quits && output.find("pong 424242\n") == std::string::npos) fuzzing::expectCount("pong", 1, 0, output);
    return 0;
}
