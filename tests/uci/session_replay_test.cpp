// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Recorded sessions of grelvin-uci: each sessions/NAME.txt holds input lines ("; " a
// comment, "~ TEXT" waits for a line starting with TEXT), NAME.expected the whole output
// with the figures of the clock and the machine masked. GRELVIN_RECORD_SESSIONS=1 records.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "tests/test_support.h"
#include "tests/uci/uci_session.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> readLines(const fs::path &file) {
    std::vector<std::string> out;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

std::string masked(const std::string &line, const std::string &dataDir) {
    static const std::pair<std::regex, std::string> rules[] = {
        {std::regex(R"( nps \d+)"), ""},  // none while the time is 0
        {std::regex(R"( time \d+)"), " time T"},
        {std::regex(R"( \d+ ms,)"), " T ms,"},
        {std::regex(R"(, \d+ nps)"), ", N nps"},
        {std::regex(R"(^id name GrelvinBB .*)"), "id name GrelvinBB @VERSION@"},
        {std::regex(R"(^(option name Threads .* max )\d+)"), "$1N"},
        {std::regex(R"(code for .*)"), "code for @LEVEL@"},
    };
    std::string out = replaceAll(line, dataDir, "@DATA@");
    for (const auto &[pattern, replacement] : rules) out = std::regex_replace(out, pattern, replacement);
    return out;
}

}  // namespace

TEST(UciSessions, EverySessionReplaysAsRecorded) {
    const std::string dataDir = inTreeDataDir();
    const char *record = std::getenv("GRELVIN_RECORD_SESSIONS");
    auto lineWait = 60s;  // short once a line has not come: the test has failed anyway
    for (const auto &entry : fs::directory_iterator(fs::path(GRELVIN_SOURCE_DIR) / "tests/uci/sessions")) {
        const fs::path script = entry.path();
        if (script.extension() != ".txt") continue;
        SCOPED_TRACE(script.filename().string());
        EngineSession e(GRELVIN_UCI_BINARY, {});
        for (const std::string &line : readLines(script)) {
            if (line.rfind("~ ", 0) == 0) {
                const bool came = e.waitForPrefix(line.substr(2), lineWait).has_value();
                EXPECT_TRUE(came) << line;
                if (!came) lineWait = 2s;
            } else if (!line.empty() && line.rfind("; ", 0) != 0) e.send(replaceAll(line, "@DATA@", dataDir));
        }
        e.closeInput();
        EXPECT_EQ(e.waitExit(lineWait), 0);
        std::vector<std::string> got;
        for (const std::string &line : e.lines()) got.push_back(masked(line, dataDir));
        fs::path expectedFile = script;
        expectedFile.replace_extension(".expected");
        if (record && std::string(record) == "1") {
            std::ofstream out(expectedFile, std::ios::binary);
            for (const std::string &line : got) out << line << '\n';
            continue;
        }
        const std::vector<std::string> expected = readLines(expectedFile);
        ASSERT_FALSE(expected.empty()) << expectedFile << " missing";
        size_t i = 0;  // the first difference says more than two long listings
        while (i < got.size() && i < expected.size() && got[i] == expected[i]) ++i;
        EXPECT_TRUE(i == got.size() && i == expected.size())
            << "line " << i + 1 << ":\n  expected: " << (i < expected.size() ? expected[i] : "<end>")
            << "\n  got:      " << (i < got.size() ? got[i] : "<end>");
        if (HasFailure()) return;  // one broken session is enough to read
    }
}
