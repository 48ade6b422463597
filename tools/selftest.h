// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The built-in move-generator self-test (perft counts of fixed positions) and the
// runner for a file of test positions.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "tools/perft.h"

struct SelfTestRecord {
    uint32_t number;
    const char *fen;
    uint64_t depth;
    uint64_t expectedLeaves;
};

// The fixed table run by "selftest" (18 records).
std::span<const SelfTestRecord> selfTestRecords();

enum class SelfTestStatus : uint8_t { PASSED, FAILED, ILLEGAL_FEN };

// One record's run: the counts and centiseconds it took, and what the perft table's
// preparation did (nothing for a record that was not counted).
struct SelfTestResult {
    uint32_t number = 0;
    SelfTestStatus status = SelfTestStatus::ILLEGAL_FEN;
    uint64_t expectedLeaves = 0, leaves = 0, nodes = 0;
    uint32_t timeCs = 0;
    PerftHash::Prepared table;
};

// The run's counts and the totals over the records counted.
struct SelfTestSummary {
    uint32_t passed = 0;
    uint32_t failed = 0;
    uint64_t leaves = 0, nodes = 0;
    uint32_t timeCs = 0;
};

// Sets each record's position on b, counts with perft and hands each record's result
// to report as soon as it is known. The board is left at the last record's position.
SelfTestSummary runSelfTest(Board_BB64 &b, PerftHash &hash, uint32_t hashMB,
                            const std::function<void(const SelfTestResult &)> &report,
                            std::span<const SelfTestRecord> records = selfTestRecords());

// One line of a test-position file, numbered from 1, without its line end, and whether
// it parsed as a FEN.
struct TestFileLine {
    uint32_t number;
    const char *text;
    bool parsed;
};

// Sets b to each line of the file in turn and hands each to report. False only when the
// file cannot be opened.
bool runTestFile(Board_BB64 &b, const char *path, const std::function<void(const TestFileLine &)> &report);
