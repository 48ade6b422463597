// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "tests/xboard/engine_process.h"

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

std::vector<std::string> EngineRun::lines() const {
    std::vector<std::string> out;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

bool EngineRun::hasLine(const std::string &line) const {
    for (const std::string &l : lines())
        if (l == line) return true;
    return false;
}

std::string EngineRun::afterXboard() const {
    const std::string marker = "# Your move: \n";
    const size_t at = output.find(marker);
    return at == std::string::npos ? "<no xboard>" : output.substr(at + marker.size());
}

EngineRun runEngine(const std::string &input) {
    static int serial = 0;
    const fs::path dir = fs::temp_directory_path() /
                         ("grelvin_run_" + std::to_string(getpid()) + "_" + std::to_string(serial++));
    fs::create_directories(dir);
    const fs::path inputFile = dir / "input.txt";
    {
        std::ofstream f(inputFile, std::ios::binary);
        f << input;
    }
    const std::string command =
        "cd '" + dir.string() + "' && '" GRELVIN_BINARY "' < '" + inputFile.string() + "' 2>/dev/null";

    EngineRun run;
    if (std::FILE *pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.output.append(buffer, n);
        const int status = pclose(pipe);
        if (status != -1 && WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
    }
    fs::remove_all(dir);
    return run;
}
