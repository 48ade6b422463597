// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The whole command loop on arbitrary input, searches included: the input is read from
// memory by the loop itself, which starts the engine's search between lines whenever
// the engine is to move, and stops it for the commands that stop searches and at the
// end of the input. A search therefore lasts only as long as the rest of the input
// takes to read. Thread timing varies, so an input may not fail the same way twice;
// the sanitizers still name the fault. Whatever the input, every "ping" the loop gets
// to is answered: a ping added after it must find its "pong".
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "tests/fuzz/command_filter.h"

namespace {

constexpr size_t MAX_LINES = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::prepareProcess();

    const std::string_view input(reinterpret_cast<const char *>(data), size);
    // Lines the filter keeps go in unchanged (NUL bytes and all), for the loop to read.
    std::string text = fuzzing::keptLines(input, MAX_LINES, [](std::string_view line) {
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
