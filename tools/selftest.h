// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The built-in move-generator self-test (perft counts of fixed positions) and the
// runner for a file of test positions.
#pragma once

#include <cstdint>
#include <span>

class Board_BB64;
class PerftHash;

struct SelfTestRecord {
    uint32_t number;
    const char *fen;
    uint64_t depth;
    uint64_t expectedLeaves;
};

// The fixed table run by "selftest" (18 records).
std::span<const SelfTestRecord> selfTestRecords();

struct SelfTestSummary {
    uint32_t passed = 0;
    uint32_t failed = 0;
};

// Sets each record's position on b, counts with perft and prints one line per record
// and the summary. The board is left at the last record's position.
SelfTestSummary runSelfTest(Board_BB64 &b, PerftHash &hash, uint32_t hashMB,
                            std::span<const SelfTestRecord> records = selfTestRecords());

// Sets b to each line of the file in turn, reporting lines that do not parse. False
// (with an error line) only when the file cannot be opened.
bool runTestFile(Board_BB64 &b, const char *path);
