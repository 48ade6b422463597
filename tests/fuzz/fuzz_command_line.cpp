// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Arbitrary lines through a fresh engine's line handler, as the loop trims them; no search
// starts here, so each input runs the same way every time.
#include "tests/fuzz/command_filter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::prepareProcess();

    WBEngine engine(1);  // a 1 MB perft table
    fuzzing::prepareSmallEngine(engine);

    const std::string_view input(reinterpret_cast<const char *>(data), size);
    size_t start = 0;
    for (size_t lines = 0; start < input.size() && lines < fuzzing::MAX_LINES && !engine.quitRequested(); ++lines) {
        size_t end = input.find('\n', start);
        if (end == std::string_view::npos) end = input.size();
        // The loop reads at most 1023 characters at a time and stops a line at a NUL.
        const std::string line = fuzzing::loopLine(input.substr(start, std::min<size_t>(end - start, 1023)));
        start = end + 1;
        if (fuzzing::worthRunning(line)) engine.executeLine(line.c_str());
    }
    return 0;
}
