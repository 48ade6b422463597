// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Runs the engine binary as a child process on a given input and collects its output.
#pragma once

#include <string>
#include <vector>

struct EngineRun {
    std::string output;  // everything written to standard output
    int exitStatus = -1; // -1 when the process did not exit normally
    std::vector<std::string> lines() const;
    bool hasLine(const std::string &line) const;
    // The output after "xboard" was read: from then on there is no prompt, so the text
    // is exactly what the later commands printed ("<no xboard>" if it never came).
    std::string afterXboard() const;
};

// The input is fed as the engine's standard input (end of input after it); the engine
// runs in an empty temporary folder so that no configuration file is picked up.
EngineRun runEngine(const std::string &input);
