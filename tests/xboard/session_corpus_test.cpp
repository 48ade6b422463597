// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Recorded sessions replayed and compared line by line. sessions/NAME.txt holds input
// lines; "~ TEXT" waits for a line starting with TEXT, "= TEXT" for exactly TEXT ("= #":
// a diagram's end); "; " is a comment, "! ARG" a command-line argument; NAME.ini is the
// ini file. NAME.expected: the output, T or N for a figure that depends on the clock.
// GRELVIN_RECORD_SESSIONS=1 records them anew.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "engine/version.h"
#include "tests/test_support.h"
#include "tests/xboard/cursed_table.h"
#include "tests/xboard/engine_session.h"

namespace fs = std::filesystem;

namespace {

const fs::path SESSIONS = fs::path(GRELVIN_SOURCE_DIR) / "tests" / "xboard" / "sessions";

// Times, speeds and the budgets that follow from them, and the machine's core count.
std::string masked(std::string line) {
    static const std::vector<std::pair<std::regex, std::string>> rules = {
        {std::regex(R"(^(-?\d+ -?\d+ )\d+( \d+))"), "$1T$2"},  // thinking line
        {std::regex(R"(time = \d+, nps = \d+)"), "time = T, nps = N"},
        {std::regex(R"(Time elapsed: [0-9.]+ s)"), "Time elapsed: T s"},
        {std::regex(R"(Nodes/second: \d+)"), "Nodes/second: N"},
        {std::regex(R"(\b(elapsed|remaining|available|max)=-?\d+)"), "$1=T"},
        {std::regex(R"(maxTime = -?\d+)"), "maxTime = T"},
        {std::regex(R"(use \d+ cores)"), "use T cores"},
    };
    for (const auto &[pattern, replacement] : rules) line = std::regex_replace(line, pattern, replacement);
    return line;
}

// The console prompt (no line end) may land before or after a search's first lines:
// prompts are only counted.
std::vector<std::string> withoutPrompts(const std::vector<std::string> &lines) {
    static const std::string PROMPT = "# Your move: ";
    std::vector<std::string> out;
    size_t prompts = 0;
    for (std::string line : lines) {
        const bool wasEmpty = line.empty();
        for (size_t at; (at = line.find(PROMPT)) != std::string::npos; ++prompts) line.erase(at, PROMPT.size());
        if (wasEmpty || !line.empty()) out.push_back(line);
    }
    out.push_back("prompts: " + std::to_string(prompts));
    return out;
}

std::vector<std::string> readLines(const fs::path &file) {
    std::vector<std::string> out;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// Plays one session and returns its output, the data folder and version replaced.
std::vector<std::string> play(const fs::path &script, const std::string &dataDir) {
    const std::vector<std::string> lines = readLines(script);
    std::vector<std::string> args;
    for (const std::string &line : lines)
        if (line.rfind("! ", 0) == 0) args.push_back(line.substr(2));
    EngineSession e(args, {}, [&](const std::string &dir) {
        fs::create_directory_symlink(inTreeDataDir(), dir + "/in tree");
        fs::create_directory_symlink(SESSIONS, dir + "/sessions");
        writeCursedRookTable(dir);  // for syzygyPath = .
        if (fs::path ini = script; fs::exists(ini.replace_extension(".ini"))) fs::copy_file(ini, dir + "/grelvin.ini");
    });
    // Once a line has not come the session has failed; its later waits are then short, so
    // that an engine that stopped answering fails in seconds rather than a minute a line.
    auto lineWait = 60s;
    for (const std::string &line : lines) {
        if (line.empty() || line[0] == ';' || line[0] == '!') continue;
        if (line.rfind("~ ", 0) == 0 || line.rfind("= ", 0) == 0) {
            const std::string text = line.substr(2);
            const bool came = (line[0] == '~' ? e.waitForPrefix(text, lineWait) : e.waitForLine(text, lineWait)).has_value();
            EXPECT_TRUE(came) << script.filename() << ": no line " << line;
            if (!came) lineWait = 2s;
            continue;
        }
        e.send(replaceAll(line, "@DATA@", dataDir));
    }
    e.closeInput();
    EXPECT_EQ(e.waitExit(lineWait), 0);
    EXPECT_EQ(e.errorOutput(), "") << script.filename();  // sanitizer reports
    std::vector<std::string> out;
    for (const std::string &line : e.lines())
        out.push_back(replaceAll(replaceAll(line, dataDir, "@DATA@"), std::string("GrelvinBB ") + ENGINE_VERSION,
                                 "GrelvinBB @VERSION@"));
    return out;
}

}  // namespace

TEST(SessionCorpus, EverySessionReplaysAsRecorded) {
    const std::string dataDir = testDataDir();
    GRELVIN_REQUIRE_DATA_FILE(dataDir + "/gaviota/kqk.gtb.cp4");
    const char *record = std::getenv("GRELVIN_RECORD_SESSIONS");
    std::vector<fs::path> scripts;
    for (const auto &entry : fs::directory_iterator(SESSIONS))
        if (entry.path().extension() == ".txt") scripts.push_back(entry.path());
    std::sort(scripts.begin(), scripts.end());
    ASSERT_GE(scripts.size(), 15u);
    for (const fs::path &script : scripts) {
        const std::vector<std::string> output = play(script, dataDir);
        fs::path expectedFile = script;
        expectedFile.replace_extension(".expected");
        const std::vector<std::string> recorded = readLines(expectedFile);
        if (record && std::string(record) == "1") {
            // A figure recorded exact stays exact while it is the same.
            std::ofstream out(expectedFile, std::ios::binary);
            for (size_t i = 0; i < output.size(); ++i)
                out << (i < recorded.size() && recorded[i] == output[i] ? output[i] : masked(output[i])) << '\n';
            continue;
        }
        const std::vector<std::string> got = withoutPrompts(output);
        ASSERT_FALSE(recorded.empty()) << expectedFile << " missing";
        const std::vector<std::string> expected = withoutPrompts(recorded);
        size_t i = 0;
        while (i < got.size() && i < expected.size() && (got[i] == expected[i] || masked(got[i]) == expected[i])) ++i;
        EXPECT_TRUE(i == got.size() && i == expected.size())
            << script.filename().string() << " differs at line " << i + 1 << ":\n  expected: "
            << (i < expected.size() ? expected[i] : "<end>") << "\n  got:      " << (i < got.size() ? got[i] : "<end>");
        // One broken session is enough to read; the rest would mostly wait for lines.
        if (HasFailure()) return;
    }
}
